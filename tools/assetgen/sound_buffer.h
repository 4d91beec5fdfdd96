// A stereo sound held in memory as 32-bit float samples (-1 to 1), the form every synthesised
// sound takes between its synthesis and its encoder.
#pragma once

#include <cstddef>
#include <vector>

constexpr int kSoundRate = 44100;

struct StereoBuffer {
    std::vector<float> left, right;

    explicit StereoBuffer(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
};
