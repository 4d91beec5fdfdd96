// The once-a-second frame-rate update.
#include "base/frame_timer.h"

void FrameTimer::update(double nowSeconds)
{
    currentTime = nowSeconds;
    frameCounter += 1.0f;
    if (currentTime - lastUpdateTime > 1.0) {
        framesPerSecond = frameCounter;   // the frame that crosses the second closes the window
        frameCounter = 0.0f;
        lastUpdateTime = currentTime;
    }
    frameRateFactor = kReferenceFrameRate / framesPerSecond;
}

void FrameTimer::resumeAfterPause(double nowSeconds)
{
    lastUpdateTime = nowSeconds;
    frameCounter = 0.0f;
}

bool timedJumpDue(int interval, double currentTime)
{
    if (interval < 1) return false;
    long long seconds = static_cast<long long>(currentTime);
    return seconds % interval == 0;
}
