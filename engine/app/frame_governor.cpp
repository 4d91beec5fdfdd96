#include "app/frame_governor.h"

#include "base/messages.h"
#include "base/settings.h"
#include "window/window_backend.h"

#include <cstdlib>

namespace {

// How long the loop waits for the window's word before it looks at the signals again: a few
// times a second, and no more, while nothing is drawn.
constexpr int kFrameWaitMs = 250;
// A time between frame starts over this, and over kGapFactor times the one before, was no frame
// time: the process was stopped, or nothing drawn.
constexpr double kGapSeconds = 1.0;
constexpr double kGapFactor = 4.0;

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The folder of power supplies to read where UPower does not answer: the kernel's, or a test's.
std::string supplyFolder()
{
    const char* folder = std::getenv("ZERO_POWER_SUPPLIES");
    return folder && *folder ? folder : "/sys/class/power_supply";
}

}  // namespace

FrameGovernor::FrameGovernor(const BehaviourSettings& settings, bool capture)
    : verticalSync_(settings.verticalSync), policy_(settings.batteryPolicy), capture_(capture), power_(supplyFolder())
{
    // A refresh rate of the caller's in place of the display's: benchmarks show the pacing against
    // a rate the renderer can exceed.
    if (const char* rate = std::getenv("ZERO_REFRESH_RATE"); rate && *rate) refreshOverride_ = std::atof(rate);
}

void FrameGovernor::updateCap(WindowBackend& window)
{
    const double refresh = refreshOverride_ > 0.0 ? refreshOverride_ : window.refreshRate();
    const FrameCap wanted = chooseFrameCap(verticalSync_, refresh, power_.onBattery(steadySeconds()), policy_);
    if (wanted == cap_) return;
    cap_ = wanted;
    logLine("%s (power: %s)", cap_.describe().c_str(), power_.source().c_str());
    if (!cap_.still) stillShown_ = false;
}

void FrameGovernor::hidden(uint64_t framesDrawn, const char* reason)
{
    const Clock::time_point now = Clock::now();
    if (!waited_) hiddenSince_ = now;
    waited_ = true;
    stillShown_ = false;   // what shows again is drawn anew
    if (!hiddenLogged_ && now - hiddenSince_ > std::chrono::seconds(1)) {
        hiddenLogged_ = true;
        logLine("%s (frame %llu was the last)", reason, static_cast<unsigned long long>(framesDrawn));
    }
}

bool FrameGovernor::drawNow(WindowBackend& window, uint64_t framesDrawn)
{
    if (!window.frameWanted(kFrameWaitMs)) {
        hidden(framesDrawn, window.hiddenReason());
        return false;
    }
    if (!capture_) {
        updateCap(window);
        if (cap_.still && stillShown_) {
            window.waitForEvents(kFrameWaitMs);
            waited_ = true;
            return false;
        }
        pacer_.wait(cap_.perSecond);
    }
    const Clock::time_point now = Clock::now();
    // From the start of the last frame to this one's. Far longer than the frames before it, and
    // over a second, it was no frame time: the process was stopped (a screensaver daemon stops its
    // hack while its unlock dialog is up) or the system slept.
    const double interval = lastStart_ == Clock::time_point{} ? 0.0 : std::chrono::duration<double>(now - lastStart_).count();
    const bool gap = lastInterval_ > 0.0 && interval > kGapSeconds && interval > kGapFactor * lastInterval_;
    if (!waited_ && gap) logLine("no frame for %.1f s; the flight takes up where it was", interval);
    resumed_ = waited_ || gap;
    if (!waited_ && !gap) lastInterval_ = interval;
    lastStart_ = now;
    if (hiddenLogged_)
        logLine("frames again after %.1f s", std::chrono::duration<double>(now - hiddenSince_).count());
    hiddenLogged_ = false;
    waited_ = false;
    return true;
}

void FrameGovernor::drawn(bool sceneShown)
{
    if (cap_.still && sceneShown) stillShown_ = true;
}
