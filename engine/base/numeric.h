// Shared numeric helpers: angle conversion, the seeded pseudo-random range and a defined
// float-to-int conversion.
#pragma once

#include <cstdint>

float degToRad(float degrees);
float radToDeg(float radians);

// The standard generator: 15-bit values 0 to 32767, the same sequence on every platform.
void seedRandom(uint32_t seed);
int nextRandom();

// a + r mod (b - a + 1): a value from a to b inclusive. An empty range (b < a) gives a.
int randomInRange(int a, int b);

// The float truncated toward zero as an int, like static_cast<int>, where that is defined; beyond
// int's range it saturates to INT_MIN or INT_MAX, and NaN gives 0 (where the cast is undefined).
int saturatingInt(float value);
