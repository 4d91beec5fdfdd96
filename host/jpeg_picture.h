// The host's JPEG resources, decoded with libjpeg into 32-bit pictures.
#pragma once

#include <QByteArray>
#include <QImage>

// A null picture when the bytes are not a JPEG libjpeg can decode.
QImage Decode_Jpeg(const QByteArray& bytes);
