#include "base/frame_cap.h"

#include <algorithm>
#include <cmath>
#include <thread>

std::string FrameCap::describe() const
{
    if (still) return "a still picture: " + reason;
    if (perSecond <= 0) return "no frame cap: " + reason;
    return "frame cap " + std::to_string(perSecond) + " per second: " + reason;
}

FrameCap chooseFrameCap(bool verticalSync, double refreshRate, bool onBattery, BatteryPolicy policy)
{
    const int refresh = static_cast<int>(std::lround(refreshRate > 0.0 ? refreshRate : kFallbackRefreshRate));
    if (onBattery && policy == BatteryPolicy::Still) return {0, true, "on battery"};
    if (onBattery && policy == BatteryPolicy::Cap) return {std::min(kBatteryFrameCap, refresh), false, "on battery"};
    const char* power = onBattery ? ", on battery at full speed as chosen" : "";
    if (verticalSync) return {0, false, std::string("vertical sync paces the frames") + power};
    return {refresh, false, std::string("the display's refresh rate") + power};
}

FramePacer::Clock::time_point FramePacer::due(int perSecond) const
{
    if (!started_ || perSecond <= 0) return Clock::time_point::min();
    return last_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / perSecond));
}

void FramePacer::taken(Clock::time_point at)
{
    last_ = at;
    started_ = true;
}

void FramePacer::wait(int perSecond)
{
    const Clock::time_point at = due(perSecond);
    if (at > Clock::now()) std::this_thread::sleep_until(at);
    const Clock::time_point now = Clock::now();
    // On schedule (or late by less than a frame), the next frame is due one interval after this
    // one was: the time spent oversleeping is made up. Later than that, the schedule starts again
    // from now rather than hurrying frames out to catch up.
    const bool onSchedule = at != Clock::time_point::min() && now - at < due(perSecond) - last_;
    taken(onSchedule ? at : now);
}
