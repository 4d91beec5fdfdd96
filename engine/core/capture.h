// Capture mode: a fixed clock, a fixed seed and chosen frames written as PNG files.
// Read from ZERO_CAPTURE_DIR, ZERO_CAPTURE_FRAMES and ZERO_SEED at start.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CaptureConfig {
    bool active = false;            // ZERO_CAPTURE_DIR was set
    std::string directory;
    std::vector<uint64_t> frames;   // ascending, counted from 1
    std::optional<uint32_t> seed;   // ZERO_SEED
};

// Parses the variables' values (null when unset). On bad input returns nothing and sets error.
std::optional<CaptureConfig> parseCaptureConfig(const char* dir, const char* frames, const char* seed,
                                                std::string& error);

// The capture start time of the fixed clock, in seconds since "system start".
constexpr double kCaptureStartSeconds = 1000.0;

// The file name of a captured frame: frame-00012.png.
std::string captureFileName(uint64_t frame);

// Reads the back buffer (before the swap) and writes it to the capture folder. False on failure.
bool captureBackBuffer(const std::string& path, int width, int height);
