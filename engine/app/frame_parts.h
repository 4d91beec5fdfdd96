// Where a frame's time goes. With ZERO_PASS_TIMES=1 the loop waits for the renderer after each
// part of the frame (glFinish) and adds up the wall time of each part; the shutdown logs the
// averages. The waits take away the overlap between submitting and drawing, so the parts add up
// to a little more than a frame of a normal run; the split is for comparing changes, not totals.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

enum class FramePart { Reflection, Refraction, Main, Sea, Leaves, Overlays, Swap, Count };

class FrameParts {
public:
    // Reads ZERO_PASS_TIMES once.
    FrameParts();
    bool enabled() const { return on; }
    // The frame's first part starts now.
    void beginFrame();
    // The part just drawn is finished: its time is added and the next part starts.
    void finished(FramePart part);
    // "reflection 12.1, refraction 6.0, ..." in milliseconds per frame; empty when off or no frame.
    std::string summary() const;

private:
    using Clock = std::chrono::steady_clock;
    bool on = false;
    Clock::time_point partStart;
    double seconds[static_cast<int>(FramePart::Count)] = {};
    uint64_t frames = 0;
};
