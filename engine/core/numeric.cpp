// Angle conversion and the engine's pseudo-random generator (a classic 32-bit LCG).
#include "core/numeric.h"

static uint32_t g_randomState = 1;

float degToRad(float degrees) { return degrees * 3.14159265358979f / 180.0f; }
float radToDeg(float radians) { return radians * 180.0f / 3.14159265358979f; }

void seedRandom(uint32_t seed) { g_randomState = seed; }

int nextRandom()
{
    g_randomState = g_randomState * 214013u + 2531011u;
    return static_cast<int>((g_randomState >> 16) & 0x7FFF);
}

int randomInRange(int a, int b)
{
    // A path too short for a range would make the modulus zero or negative.
    if (b < a) return a;
    return a + nextRandom() % (b - a + 1);
}
