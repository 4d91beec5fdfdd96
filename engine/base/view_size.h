// The size in pixels of the view the engine draws into: kept here once and read by everyone who
// needs it (the projections, the overlays and the font, the water's passes, the capture). The
// application sets it when the window is made and whenever the window changes size.
#pragma once

struct ViewSize {
    int width = 0;
    int height = 0;
    // Pixels to one point of the desktop's (2 on a doubled output). The overlays (text, help,
    // fader) are laid out in points, so they keep their size on the screen at any scale.
    double scale = 1.0;
    int halfWidth() const { return width / 2; }
    int halfHeight() const { return height / 2; }
    int overlayWidth() const { return static_cast<int>(width / scale + 0.5); }
    int overlayHeight() const { return static_cast<int>(height / scale + 0.5); }
};

const ViewSize& viewSize();
// Negative sizes count as 0; a scale below 1 (or not a number) counts as 1.
void setViewSize(int width, int height, double scale = 1.0);
