// When the loop draws: only while somebody can see the view, no more often than the cap allows
// (the display's refresh rate, or fewer frames on battery), and one still picture where the user
// chose that for battery. Each change of the cap is logged with its reason, as are pauses of over
// a second and their ends.
#pragma once

#include "base/frame_cap.h"
#include "power/power_watch.h"

#include <chrono>
#include <cstdint>

class WindowBackend;
struct BehaviourSettings;

class FrameGovernor {
public:
    // capture: the fixed clock of capture mode, whose frames are drawn as fast as they go.
    FrameGovernor(const BehaviourSettings& settings, bool capture);

    // Whether to draw a frame now. Before a yes it has waited out the cap; before a no it has
    // waited (up to a quarter of a second) for the window's word or an event.
    bool drawNow(WindowBackend& window, uint64_t framesDrawn);
    // After each frame drawn: sceneShown once the loading picture is gone (a still picture is
    // taken of the scene, not of the loading picture).
    void drawn(bool sceneShown);
    // True for the first frame after a time without frames (hidden, still, or the process
    // stopped): the frame timer then starts its window afresh instead of taking the gap for a
    // slow frame rate.
    bool resumed() const { return resumed_; }

private:
    using Clock = std::chrono::steady_clock;
    void updateCap(WindowBackend& window);
    void hidden(uint64_t framesDrawn, const char* reason);

    bool verticalSync_;
    BatteryPolicy policy_;
    bool capture_;
    double refreshOverride_ = 0.0;   // ZERO_REFRESH_RATE
    PowerWatch power_;
    FrameCap cap_;
    FramePacer pacer_;
    bool stillShown_ = false;
    bool waited_ = false;       // frames were left out since the last one drawn
    bool resumed_ = false;
    bool hiddenLogged_ = false;
    Clock::time_point hiddenSince_{};
    Clock::time_point lastStart_{};   // when the last frame began
    double lastInterval_ = 0.0;       // seconds between the two frame starts before it
};
