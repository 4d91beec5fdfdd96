// Windows bitmap files: 24 bits per pixel, uncompressed, rows stored bottom first.
#pragma once

#include <cstdint>
#include <vector>

// pixels: height rows of width × 3 bytes (red, green, blue), top row first.
std::vector<uint8_t> encodeBMP(const std::vector<uint8_t>& pixels, int width, int height);
