// The size in pixels of the view the engine draws into: kept here once and read by everyone who
// needs it (the projections, the overlays and the font, the water's passes, the capture). The
// application sets it when the window is made and whenever the window changes size.
#pragma once

struct ViewSize {
    int width = 0;
    int height = 0;
    int halfWidth() const { return width / 2; }
    int halfHeight() const { return height / 2; }
};

const ViewSize& viewSize();
// Negative sizes count as 0.
void setViewSize(int width, int height);
