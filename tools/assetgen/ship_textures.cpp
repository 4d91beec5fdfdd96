// The ship's pictures: the hull's planking in bands of paint, and the deck's planks.
#include "ship_parts.h"

#include "noise.h"

#include <algorithm>

using namespace ship;

namespace {

struct Paint {
    double low, high, r, g, b;
};
// Bands of paint up the hull side, in model heights: copper-brown bottom, a pale boot-top at
// the waterline, tarred black sides, the ochre gun-deck stripe, black to the rail.
constexpr Paint kHullPaint[] = {
    {-10.0, 1.75, 0.46, 0.23, 0.15}, {1.75, 2.35, 0.78, 0.74, 0.64}, {2.35, kStripeLow, 0.17, 0.13, 0.11},
    {kStripeLow, kStripeHigh, 0.74, 0.56, 0.24}, {kStripeHigh, 20.0, 0.17, 0.13, 0.11},
};

double plankGrain(double u, double v, double planks, uint32_t seed, double& seam)
{
    double row = v * planks;
    int plank = static_cast<int>(std::floor(row));
    double across = row - plank;
    // Butt joints staggered plank by plank.
    double offset = (hash3(plank, 0, seed) % 1000) / 1000.0;
    double along = u * 3.0 + offset;
    double joint = along - std::floor(along);
    seam = std::max(std::exp(-std::pow(across / 0.06, 2.0)) + std::exp(-std::pow((1 - across) / 0.06, 2.0)),
                    std::exp(-std::pow(std::min(joint, 1 - joint) / 0.006, 2.0)));
    double tone = (hash3(plank, static_cast<int>(std::floor(along)), seed + 1) % 1000) / 1000.0;
    return 0.06 * (tone - 0.5) + 0.05 * periodicFbm(u * 32, v * 4, 4, 3, seed + 2);
}

}

Picture makeShipHullTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 48271u + 11u);
    Picture picture(kShipHullTextureWidth, kShipHullTextureHeight, 3);
    const double planks = kHullTextureSpan / 0.55;
    for (int py = 0; py < picture.height; ++py)
        for (int px = 0; px < picture.width; ++px) {
            double u = (px + 0.5) / picture.width, v = 1.0 - (py + 0.5) / picture.height;
            double y = kHullTextureLow + v * kHullTextureSpan;
            const Paint* paint = &kHullPaint[0];
            for (const Paint& p : kHullPaint)
                if (y >= p.low && y < p.high) paint = &p;
            double seam = 0;
            double grain = plankGrain(u, v, planks, s, seam);
            double light = 1.0 + grain - 0.35 * seam;
            float* out = picture.at(px, py);
            out[0] = static_cast<float>(paint->r * light);
            out[1] = static_cast<float>(paint->g * light);
            out[2] = static_cast<float>(paint->b * light);
        }
    return picture;
}

Picture makeShipDeckTexture(uint64_t seed)
{
    const uint32_t s = static_cast<uint32_t>(seed * 16807u + 29u);
    Picture picture(kShipDeckTextureSize, kShipDeckTextureSize, 3);
    for (int py = 0; py < picture.height; ++py)
        for (int px = 0; px < picture.width; ++px) {
            // Planks run along the ship (v); across it (u) they are side by side.
            double u = (px + 0.5) / picture.width, v = 1.0 - (py + 0.5) / picture.height;
            double seam = 0;
            double grain = plankGrain(v, u, kPlanksPerPicture, s, seam);
            double light = 1.0 + 2.0 * grain - 0.45 * seam;
            float* out = picture.at(px, py);
            out[0] = static_cast<float>(0.66 * light);
            out[1] = static_cast<float>(0.52 * light);
            out[2] = static_cast<float>(0.36 * light);
        }
    return picture;
}
