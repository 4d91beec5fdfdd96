// Whether anybody can see the view of a window on X11: not while another window covers all of it,
// nor while the monitor is powered down (DPMS). The monitor's state is a question to the server,
// asked no more than twice a second while drawing, and at every wake while it is off; the probe
// that asks it is handed in, so that the rule can be tried without a monitor (Xvfb has no DPMS).
#pragma once

#include <functional>

class ViewVisibility {
public:
    explicit ViewVisibility(std::function<bool()> monitorOff) : monitorOff_(std::move(monitorOff)) {}

    // From the server's visibility events: true once the window is fully obscured.
    void setCovered(bool covered) { covered_ = covered; }
    // now in seconds.
    bool seen(double now);
    // Why the view is not seen, for the log.
    const char* reason() const { return covered_ ? "the window is covered" : "the monitor is off"; }

private:
    std::function<bool()> monitorOff_;
    bool covered_ = false;
    bool off_ = false;
    double askedAt_ = -1.0;
};
