// TGA pictures decoded into RGB or RGBA bytes, rows bottom first as stored: uncompressed
// 24/32-bit, 16-bit (5 bits a channel) and run-length 24/32-bit true colour.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

struct TgaImage {
    std::vector<uint8_t> pixels;   // width × height × components, bottom row first
    int32_t components = 0;        // 3 (RGB) or 4 (RGBA)
    int32_t width = 0;
    int32_t height = 0;
};

enum class TgaProblem { None, UnsupportedDepth, Truncated };

// Decodes a whole TGA file held in memory. Nothing comes back for a depth other than 16, 24
// or 32 bits (and for run-length 16-bit), or for data that ends before the picture is filled;
// problem (when given) says which.
std::optional<TgaImage> decodeTGA(const uint8_t* data, size_t size, TgaProblem* problem = nullptr);
