// Gamma ramp construction.
#include "base/gamma.h"

#include <cmath>

GammaRamp buildGammaRamp(float gammaFactor)
{
    GammaRamp ramp{};
    for (int i = 0; i < 256; ++i) {
        double v = std::pow(i / 256.0, 1.0 / gammaFactor) * 65536.0;
        if (!(v >= 0.0)) v = 0.0;   // also catches NaN from a zero or negative factor
        if (v > 65535.0) v = 65535.0;
        uint16_t entry = static_cast<uint16_t>(v);
        ramp[i] = ramp[256 + i] = ramp[512 + i] = entry;
    }
    return ramp;
}
