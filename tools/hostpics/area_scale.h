// Picture reduction by area averaging: each output pixel is the mean of the input area it
// covers, partly covered input pixels weighted by their share. No ringing, no aliasing.
#pragma once

#include <cstdint>
#include <vector>

// rgb: height rows of width × 3 bytes, top row first. Returns outHeight rows of outWidth × 3.
std::vector<uint8_t> scaleByArea(const std::vector<uint8_t>& rgb, int width, int height, int outWidth, int outHeight);
