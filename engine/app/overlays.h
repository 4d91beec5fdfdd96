// The overlay pass at the end of every frame: loading picture and flash, help picture, clock
// and frame rate, all in window pixels from the bottom-left corner.
#pragma once

constexpr float kOverlayTextSize = 40.0f;
constexpr int kClockRightMargin = 192;   // the clock starts this far left of the right edge
constexpr int kClockBottom = 5;
constexpr int kFrameRateLeft = 5;
constexpr int kFrameRateTopMargin = 45;  // the frame rate sits this far below the top edge

// Draws over the finished frame; the time is read anew every frame, shown or not (in capture
// mode from the fixed clock, so that captured frames repeat).
void drawOverlays();
