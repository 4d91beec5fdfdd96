// Writes 8-bit RGB pictures as PNG files (libpng); no time stamp, so equal pixels give equal files.
#pragma once

#include <cstdint>
#include <string>

// rows top first, 3 bytes a pixel. Returns false (and leaves no partial file) when writing fails.
bool writePngRgb(const std::string& path, const uint8_t* pixels, int width, int height);
