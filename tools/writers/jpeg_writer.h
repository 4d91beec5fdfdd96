// JPEG files through libjpeg, from RGB or greyscale pixels given top row first.
#pragma once

#include <cstdint>
#include <vector>

// pixels: height rows of width × components bytes (3 = RGB, 1 = grey), top row first.
// quality 1 to 100; colour is not subsampled. Nothing comes back when libjpeg refuses the picture.
std::vector<uint8_t> encodeJPEG(const std::vector<uint8_t>& pixels, int width, int height, int components,
                                int quality = 90);
