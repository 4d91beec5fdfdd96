// The skin's pictures and outlines from the program's resources: a missing or unreadable one is
// named on the terminal and gives an empty result, which leaves that part of the skin out.
#pragma once

#include <QImage>
#include <QPolygon>
#include <QString>

// The outline whose x and y lists are the "POINTS" resources of those names.
QPolygon Read_Outline(const QString& x_name, const QString& y_name);
// The "BITMAP" resource of that name at 24 bits per pixel.
QImage Read_Bitmap(const QString& name);
// The JPEG resource of that name, decoded at 24 bits per pixel.
QImage Read_Jpeg(const QString& name);
