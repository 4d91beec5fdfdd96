// The settings form's small pictures: the product logo (full size and the "About" page's small
// one), the four music pictures, the processor and video card pictures of the "About" page and
// its four molecule pictures. 24 bits per pixel, pure green where the picture is open.
// Painting text needs a QGuiApplication and the font file given to loadSkinFont.
#pragma once

#include <QImage>
#include <QString>

bool loadSkinFont(const QString& boldFontFile);

QImage logoPicture();                 // 80 x 90
QImage smallLogoPicture();            // 36 x 40
QImage musicPicture(int number);      // 1 to 4, 48 x 48
QImage processorPicture();            // 40 x 40
QImage videoCardPicture();            // 48 x 40
QImage moleculePicture(int number);   // 0 to 3, 100 x 85
// The program's icon: the logo's island disc in its brass ring, size x size, transparent around
// the ring (32-bit with alpha, unlike the skin's pictures; it needs no font).
QImage iconPicture(int size);
