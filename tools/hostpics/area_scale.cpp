// Separable area averaging: rows first into a float buffer, then columns.
#include "area_scale.h"

#include <algorithm>
#include <cmath>

namespace {

struct Tap {
    int index;
    double weight;
};

// For each output cell, the input cells it overlaps and their shares (summing to 1).
std::vector<std::vector<Tap>> coverage(int in, int out)
{
    std::vector<std::vector<Tap>> taps(out);
    const double step = double(in) / out;
    for (int o = 0; o < out; ++o) {
        const double begin = o * step, end = (o + 1) * step;
        for (int i = int(std::floor(begin)); i < std::min(in, int(std::ceil(end))); ++i) {
            const double share = std::min(end, i + 1.0) - std::max(begin, double(i));
            if (share > 0) taps[o].push_back({i, share / step});
        }
    }
    return taps;
}

}  // namespace

std::vector<uint8_t> scaleByArea(const std::vector<uint8_t>& rgb, int width, int height, int outWidth, int outHeight)
{
    const auto across = coverage(width, outWidth);
    const auto down = coverage(height, outHeight);
    std::vector<double> rows(size_t(height) * outWidth * 3, 0.0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < outWidth; ++x)
            for (const Tap& t : across[x])
                for (int c = 0; c < 3; ++c)
                    rows[(size_t(y) * outWidth + x) * 3 + c] += t.weight * rgb[(size_t(y) * width + t.index) * 3 + c];
    std::vector<uint8_t> out(size_t(outHeight) * outWidth * 3);
    for (int y = 0; y < outHeight; ++y)
        for (int x = 0; x < outWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (const Tap& t : down[y]) sum += t.weight * rows[(size_t(t.index) * outWidth + x) * 3 + c];
                out[(size_t(y) * outWidth + x) * 3 + c] = uint8_t(std::clamp(std::lround(sum), 0L, 255L));
            }
    return out;
}
