// Test inputs for the audio tests: deterministic signals written as WAV files, a private
// folder for them, and SDL's disk driver pointed at a file in it.
#pragma once

#include "support/audio_analysis.h"
#include "support/temp_folder.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

// A signal that never rounds to zero (so a run of zeros in the output means "not playing") and
// never repeats within the file (so a position in it can be told from any other).
inline Sound testSignal(size_t frames, int channels = 2, int rate = 44100)
{
    Sound s;
    s.channels = channels;
    s.rate = rate;
    s.samples.resize(frames * static_cast<size_t>(channels));
    uint32_t noise = 12345;
    for (size_t t = 0; t < frames; ++t)
        for (int c = 0; c < channels; ++c) {
            noise = noise * 1664525u + 1013904223u;
            double n = static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
            s.samples[t * static_cast<size_t>(channels) + static_cast<size_t>(c)] =
                static_cast<float>(0.3 + 0.15 * std::sin(0.0021 * static_cast<double>(t) * (c + 1)) + 0.2 * n);
        }
    return s;
}

class AudioFolder {
    TempFolder temp_{"audio"};

public:
    const std::filesystem::path dir = temp_.path();
    const std::string output = temp_.file("mix.raw");

    AudioFolder()
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "0", 1);
        setenv("ZERO_MESSAGES", "stderr", 1);
    }
    std::string write(const std::string& name, const Sound& sound) const
    {
        std::string path = (dir / name).string();
        writeWav(path, sound);
        return path;
    }
    // Waits until the disk driver has written at least that many frames (the driver runs flat out).
    bool waitForOutput(size_t frames, double seconds = 10.0) const
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            std::error_code ec;
            auto size = std::filesystem::file_size(output, ec);
            if (!ec && size >= frames * 4) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
};

// The first frame with any non-zero sample at or after 'from'; frames() when there is none.
inline size_t firstSounding(const Sound& s, size_t from = 0)
{
    for (size_t t = from; t < s.frames(); ++t)
        if (s.at(t, 0) != 0.0f || s.at(t, 1) != 0.0f) return t;
    return s.frames();
}

inline size_t firstSilent(const Sound& s, size_t from)
{
    for (size_t t = from; t < s.frames(); ++t)
        if (s.at(t, 0) == 0.0f && s.at(t, 1) == 0.0f) return t;
    return s.frames();
}
