// CLOCK_MONOTONIC as the multimedia timer; a frame-counted clock for reproducible captures.
#include "base/clock.h"

#include <cmath>
#include <ctime>

static bool g_fixed = false;
static double g_fixedStart = 0.0;
static uint64_t g_fixedFrames = 0;

static constexpr double kFixedFrameSeconds = 1.0 / 60.0;

double clockSeconds()
{
    if (g_fixed) return g_fixedStart + static_cast<double>(g_fixedFrames) * kFixedFrameSeconds;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Keep the 32-bit millisecond wrap of the timer the engine was designed around.
    uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    double wrapped = static_cast<double>(ms % 4294967296ull) + (now.tv_nsec % 1000000) / 1e6;
    return wrapped * 0.001;
}

uint32_t clockMilliseconds()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(std::floor(clockSeconds() * 1000.0)));
}

void useFixedClock(double startSeconds)
{
    g_fixed = true;
    g_fixedStart = startSeconds;
    g_fixedFrames = 0;
}

void advanceFixedClock()
{
    if (g_fixed) ++g_fixedFrames;
}
