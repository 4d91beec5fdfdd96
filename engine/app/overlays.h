// The overlay pass at the end of every frame: loading picture and flash, help picture, clock
// and frame rate, all in window pixels from the bottom-left corner.
#pragma once

constexpr float kOverlayTextSize = 40.0f;
constexpr int kClockRightMargin = 192;   // the clock starts this far left of the right edge
constexpr int kClockBottom = 5;
constexpr int kFrameRateLeft = 5;
constexpr int kFrameRateTopMargin = 45;  // the frame rate sits this far below the top edge

struct BitmapFont;
struct HelpScreen;
struct ScreenFader;

// What the overlay pass draws with, and what it shows of the frame: the clock and the frame rate
// where the settings show them, the time (in capture mode the fixed clock's, so that captured
// frames repeat; otherwise the local time, read anew every frame).
struct OverlayFrame {
    ScreenFader& fader;
    HelpScreen& help;
    BitmapFont& font;
    bool clockShown = false;
    bool frameRateShown = false;
    bool captureClock = false;
    double captureTime = 0.0;
    float framesPerSecond = 0.0f;
};

// Draws over the finished frame, in the 2D projection the caller has set up.
void drawOverlays(const OverlayFrame& frame);
