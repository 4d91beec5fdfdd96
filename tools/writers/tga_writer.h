// TGA files from RGB or RGBA pixels (rows bottom first): uncompressed or run-length true colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width × height × components bytes (3 = RGB, 4 = RGBA), bottom row first.
std::vector<uint8_t> encodeTGA(const std::vector<uint8_t>& pixels, int width, int height, int components,
                               bool runLength = false);
// A 16-bit picture: one little-endian word per pixel, 5 bits each of red, green and blue.
std::vector<uint8_t> encodeTGA16(const std::vector<uint16_t>& words, int width, int height);

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
