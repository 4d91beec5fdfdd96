// Capture mode: a fixed clock, a fixed seed and chosen frames written as PNG files.
// Read from ZERO_CAPTURE_DIR, ZERO_CAPTURE_FRAMES, ZERO_SEED and ZERO_CAPTURE_SEGMENT at start;
// the application reads the frames back (app/back_buffer.h).
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
    std::optional<int32_t> startSegment;   // ZERO_CAPTURE_SEGMENT: the flight's first segment
};

// Reads ZERO_CAPTURE_SEGMENT's value (null when unset) into the configuration. False on bad input.
bool parseStartSegment(const char* text, CaptureConfig& config, std::string& error);

// Parses the variables' values (null when unset). On bad input returns nothing and sets error.
std::optional<CaptureConfig> parseCaptureConfig(const char* dir, const char* frames, const char* seed,
                                                std::string& error);

// The capture start time of the fixed clock, in seconds since "system start".
constexpr double kCaptureStartSeconds = 1000.0;

// The file name of a captured frame: frame-00012.png.
std::string captureFileName(uint64_t frame);
