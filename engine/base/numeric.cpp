// Angle conversion, the engine's pseudo-random generator (a classic 32-bit LCG) and the saturating conversion.
#include "base/numeric.h"

#include <climits>
#include <cmath>

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

int saturatingInt(float value)
{
    // 2^31 is exact in a float; INT_MAX is not, so the upper test is against 2^31 itself.
    constexpr float kTwoTo31 = 2147483648.0f;
    if (std::isnan(value)) return 0;
    if (value >= kTwoTo31) return INT_MAX;
    if (value < -kTwoTo31) return INT_MIN;
    return static_cast<int>(value);
}
