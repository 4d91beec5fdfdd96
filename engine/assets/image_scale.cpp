// Pixel-centre bilinear resampling; edges clamp, so a stretched picture keeps its border rows.
#include "assets/image_scale.h"

#include <algorithm>
#include <cmath>

int nearestPowerOfTwo(int n, int limit)
{
    if (n <= 1) return 1;
    int below = 1;
    while (below * 2 <= n && below * 2 <= limit) below *= 2;
    if (below == n || below * 2 > limit) return below;
    int above = below * 2;
    return (n - below < above - n) ? below : above;
}

std::vector<uint8_t> resamplePixels(const uint8_t* pixels, int w, int h, int components, int tw, int th)
{
    std::vector<uint8_t> out(static_cast<size_t>(tw) * th * components);
    const float sx = static_cast<float>(w) / tw, sy = static_cast<float>(h) / th;
    for (int y = 0; y < th; ++y) {
        float fy = std::clamp((y + 0.5f) * sy - 0.5f, 0.0f, static_cast<float>(h - 1));
        int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, h - 1);
        float wy = fy - y0;
        for (int x = 0; x < tw; ++x) {
            float fx = std::clamp((x + 0.5f) * sx - 0.5f, 0.0f, static_cast<float>(w - 1));
            int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, w - 1);
            float wx = fx - x0;
            for (int k = 0; k < components; ++k) {
                auto at = [&](int px, int py) { return static_cast<float>(pixels[(static_cast<size_t>(py) * w + px) * components + k]); };
                float top = at(x0, y0) * (1 - wx) + at(x1, y0) * wx;
                float bottom = at(x0, y1) * (1 - wx) + at(x1, y1) * wx;
                out[(static_cast<size_t>(y) * tw + x) * components + k] =
                    static_cast<uint8_t>(std::lround(top * (1 - wy) + bottom * wy));
            }
        }
    }
    return out;
}
