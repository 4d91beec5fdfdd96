// The overlay pass at the end of every frame: loading picture and flash, help picture, clock
// and frame rate, all in window pixels from the bottom-left corner.
#pragma once

#include <ctime>

constexpr float kOverlayTextSize = 40.0f;
constexpr int kClockRightMargin = 192;   // the clock starts this far left of the right edge
constexpr int kClockBottom = 5;
constexpr int kFrameRateLeft = 5;
constexpr int kFrameRateTopMargin = 45;  // the frame rate sits this far below the top edge
constexpr int kClockTextLength = 8;      // "HH:MM:SS"

// The time of day as "HH:MM:SS" on the 24-hour clock.
void clockText(const std::tm& time, char (&text)[kClockTextLength + 1]);

void drawOverlays();
