// How many frames a second the engine may draw, and why: never more than the display shows, fewer
// on battery where the user chose so, or one still picture. The loop waits out the time left.
#pragma once

#include <chrono>
#include <string>

// What the user wants when the machine runs on battery; the behaviour file's battery_mode.
enum class BatteryPolicy { Cap = 0, Full = 1, Still = 2 };

// Frames a second on battery under the Cap policy: the camera's flight still reads as motion, at a
// third of a 60 Hz display's frames, which the software renderer and small GPUs draw at a fraction
// of their power.
constexpr int kBatteryFrameCap = 20;
// The refresh rate where the display says none.
constexpr double kFallbackRefreshRate = 60.0;

struct FrameCap {
    int perSecond = 0;   // 0: no cap of ours (vertical sync paces the frames)
    bool still = false;  // one picture, then none until this changes
    std::string reason;

    bool operator==(const FrameCap& other) const
    {
        return perSecond == other.perSecond && still == other.still && reason == other.reason;
    }
    bool operator!=(const FrameCap& other) const { return !(*this == other); }
    // The log's words: "frame cap 20 per second: on battery".
    std::string describe() const;
};

// refreshRate: the display's, 0 or less where unknown.
FrameCap chooseFrameCap(bool verticalSync, double refreshRate, bool onBattery, BatteryPolicy policy);

// Keeps frames apart by the cap's interval, sleeping rather than spinning, so that the frames a
// second match the cap where the renderer keeps up. A frame later than a whole interval does not
// make the next ones early: the schedule starts again from it.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;
    // Waits until the next frame is due under perSecond (0: at once) and takes it.
    void wait(int perSecond);
    // The time the next frame is due (the earliest time point for the first, or without a cap).
    Clock::time_point due(int perSecond) const;
    // The frame due at `at` is being drawn.
    void taken(Clock::time_point at);

private:
    Clock::time_point last_{};
    bool started_ = false;
};
