// Preview mode: one of the small screenshots, stretched over a window of another program (the
// screensaver settings page's pane) and painted again ten times a second until that window goes.
#pragma once

#include <QImage>
#include <QSize>

// Paints one of the first five preview pictures into the window, stretched over it, until that
// window goes away. A missing or unknown window ends it at once. Returns the exit code.
int Show_Preview(unsigned long preview_window);

// One of the pictures "Mini_sshot_0" to "Mini_sshot_4", drawn at random and decoded; null when it
// cannot be. number, when given, receives the number drawn.
QImage Load_Random_Preview_Image(int* number = nullptr);

// The picture stretched over size without keeping its aspect ratio, every pure blue pixel white.
QImage Prepare_Preview(const QImage& picture, QSize size);
