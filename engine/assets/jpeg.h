// JPEG pictures decoded through libjpeg into RGB bytes, the bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct JpegImage {
    int32_t rowBytes = 0;          // width × 3
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;   // height × rowBytes; row 0 is the picture's last scanline
};

// Decodes a whole JPEG file held in memory. Colour and greyscale pictures both come back as
// RGB. Corrupt or unsupported data gives nothing, with libjpeg's reason in error (when given);
// libjpeg never ends the process from in here.
std::optional<JpegImage> decodeJPEG(const uint8_t* data, size_t size, std::string* error = nullptr);

// The most pixels a picture may have; larger ones are refused rather than allocated.
constexpr uint64_t kMaxJpegPixels = 4096ull * 4096;
