// The display gamma ramp built from a gamma factor.
#pragma once

#include <array>
#include <cstdint>

using GammaRamp = std::array<uint16_t, 3 * 256>;   // red, green, blue

// Entry i of each colour is (i / 256)^(1 / g) × 65536, clamped to 0..65535 and truncated.
GammaRamp buildGammaRamp(float gammaFactor);
