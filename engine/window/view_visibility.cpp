#include "window/view_visibility.h"

namespace {
constexpr double kMonitorAskSeconds = 0.5;
}

bool ViewVisibility::seen(double now)
{
    // While the monitor is off the loop wakes only a few times a second (and on events, such as
    // the input that wakes a monitor): each of those asks, so drawing resumes at the first.
    if (monitorOff_ && (off_ || askedAt_ < 0.0 || now - askedAt_ >= kMonitorAskSeconds || now < askedAt_)) {
        askedAt_ = now;
        off_ = monitorOff_();
    }
    return !covered_ && !off_;
}
