// Frame-rate measurement over windows of just over one second, and the factor that scales
// every per-frame step tuned for 60 frames per second.
#pragma once

// The frame rate that per-frame steps are tuned for.
constexpr float kReferenceFrameRate = 60.0f;

struct FrameTimer {
    float frameCounter = 60.0f;
    float framesPerSecond = 60.0f;
    double lastUpdateTime = 0.0;
    double currentTime = 0.0;   // seconds since system start
    float frameRateFactor = 0.0f;   // kReferenceFrameRate / framesPerSecond

    // Takes the time now (seconds) and recomputes the fields.
    void update(double nowSeconds);
    // Frames go on after a time without any (nothing of the view was shown): the window counts
    // from now, so the gap is not taken for a slow frame rate (whose factor would leap the flight).
    void resumeAfterPause(double nowSeconds);
};

// Whether a timed camera jump is due: an interval of at least 1 and the whole seconds of
// the current time a multiple of it.
bool timedJumpDue(int interval, double currentTime);
