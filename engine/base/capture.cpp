// Capture configuration parsing.
#include "base/capture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

static bool parseUnsigned(const std::string& text, uint64_t& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0;
}

std::optional<CaptureConfig> parseCaptureConfig(const char* dir, const char* frames, const char* seed,
                                                std::string& error)
{
    CaptureConfig config;
    if (seed) {
        uint64_t value = 0;
        if (!parseUnsigned(seed, value) || value > 0xFFFFFFFFull) {
            error = std::string("ZERO_SEED must be a whole number from 0 to 4294967295, not '") + seed + "'";
            return std::nullopt;
        }
        config.seed = static_cast<uint32_t>(value);
    }
    if (!dir) return config;
    if (!*dir) {
        error = "ZERO_CAPTURE_DIR is empty";
        return std::nullopt;
    }
    config.active = true;
    config.directory = dir;
    std::string list = frames ? frames : "1";
    size_t start = 0;
    while (true) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        uint64_t value = 0;
        if (!parseUnsigned(item, value) || value == 0) {
            error = "ZERO_CAPTURE_FRAMES must be a comma-separated list of frame numbers from 1, not '" + list + "'";
            return std::nullopt;
        }
        config.frames.push_back(value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    std::sort(config.frames.begin(), config.frames.end());
    config.frames.erase(std::unique(config.frames.begin(), config.frames.end()), config.frames.end());
    return config;
}

bool parseStartSegment(const char* text, CaptureConfig& config, std::string& error)
{
    if (!text) return true;
    uint64_t value = 0;
    if (!parseUnsigned(text, value) || value > 1999) {
        error = std::string("ZERO_CAPTURE_SEGMENT must be a segment number from 0 to 1999, not '") + text + "'";
        return false;
    }
    config.startSegment = static_cast<int32_t>(value);
    return true;
}

std::string captureFileName(uint64_t frame)
{
    char name[40];
    std::snprintf(name, sizeof name, "frame-%05llu.png", static_cast<unsigned long long>(frame));
    return name;
}
