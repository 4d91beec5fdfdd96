// Shared numeric helpers: angle conversion and the seeded pseudo-random range.
#pragma once

#include <cstdint>

float degToRad(float degrees);
float radToDeg(float radians);

// The standard generator: 15-bit values 0 to 32767, the same sequence on every platform.
void seedRandom(uint32_t seed);
int nextRandom();

// a + r mod (b - a + 1): a value from a to b inclusive. An empty range (b < a) gives a.
int randomInRange(int a, int b);
