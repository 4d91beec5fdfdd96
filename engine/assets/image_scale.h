// Resampling pictures to power-of-two sides before mipmapping. GLU's own scaler leaves the
// last row black when it stretches a side, so pictures reach it already at a power of two.
#pragma once

#include <cstdint>
#include <vector>

// The power of two nearest to n (a tie goes up), at most limit (itself a power of two).
int nearestPowerOfTwo(int n, int limit);

// Bilinear resampling of tightly packed rows (any row order, kept) from w × h to tw × th.
std::vector<uint8_t> resamplePixels(const uint8_t* pixels, int w, int h, int components, int tw, int th);
