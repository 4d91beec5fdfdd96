#include "window/view_visibility.h"

namespace {
constexpr double kMonitorAskSeconds = 0.5;
}

bool ViewVisibility::seen(double now)
{
    if (monitorOff_ && (askedAt_ < 0.0 || now - askedAt_ >= kMonitorAskSeconds || now < askedAt_)) {
        askedAt_ = now;
        off_ = monitorOff_();
    }
    return !covered_ && !off_;
}
