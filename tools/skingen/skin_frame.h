// The frame pictures of the settings form: one beach-hut frame painted in form coordinates and
// cut into its parts, so that any left and any right variant meet the fixed parts without a seam.
#pragma once

#include "skin_layout.h"

#include <QImage>

// The transparent colour of "Ball_Shato", the colour of its bottom-left pixel.
constexpr QRgb kBallKey = 0xffff00ff;

// A part's picture: 24 bits per pixel, its size that of the frame table; pure green where it is
// open (for the ball, kBallKey). variant 1 to 7 chooses the left or right top part's look.
QImage framePicture(FramePart part, int variant = 1);

// The whole frame as the form shows it over a plain background: each edge part at its place,
// its open pixels left out, then the panel in front of the ball. For looking at and testing.
QImage composedFrame(int leftVariant, int rightVariant, QRgb background);
