// The tileable detail pictures: the terrains' detail layers (sand grain, vegetation, cracked
// rock) and the water's distortion map.
#include "terrain_assets.h"

#include "noise.h"
#include "terrain_ground.h"

#include <algorithm>
#include <cmath>

namespace {

// How near a point lies to a line of a cell network, 1 on the line falling to 0 at width (in
// cells), from the gap between the nearest and the second nearest feature point.
double networkLine(const CellDistances& d, double width) { return 1.0 - smoothstep(0.0, width, d.f2 - d.f1); }

// Coordinates wobbled so that the cracks wander instead of running straight between corners.
void wobble(double u, double v, int cells, uint32_t seed, double& wu, double& wv)
{
    wu = u + 0.5 * periodicFbm(u, v, cells, 3, seed + 10);
    wv = v + 0.5 * periodicFbm(u, v, cells, 3, seed + 11);
}

// The main cracks' network: the borders of plates a few lattice cells wide.
CellDistances plates(double wu, double wv, int cells, uint32_t seed)
{
    const int count = cells * 3 / 8;
    const double scale = static_cast<double>(count) / cells;
    return periodicCells(wu * scale, wv * scale, count, seed + 12);
}

// Where along the plates' borders a main crack is open.
double openings(double u, double v, int cells, uint32_t seed)
{
    return smoothstep(-0.1, 0.2, periodicFbm(u / 4, v / 4, cells / 4, 2, seed + 13));
}

} // namespace

double rockCracks(double u, double v, int cells, uint32_t seed)
{
    double wu, wv;
    wobble(u, v, cells, seed, wu, wv);
    // Only stretches of the plates' borders open, so the cracks run for a while, fork where
    // plates meet and end.
    CellDistances main = plates(wu, wv, cells, seed);
    double open = openings(u, v, cells, seed);
    double crack = networkLine(main, 0.05) * open;
    // Branches: a finer network that shows only close to an open main crack.
    CellDistances branch = periodicCells(wu, wv, cells, seed + 14);
    double nearMain = (1.0 - smoothstep(0.0, 0.4, main.f2 - main.f1)) * open;
    double branchOpen = nearMain * smoothstep(-0.2, 0.2, periodicNoise(u * 2, v * 2, cells * 2, seed + 15));
    crack = std::max(crack, 0.75 * networkLine(branch, 0.06) * branchOpen);
    // Hairlines all over, faint.
    CellDistances hair = periodicCells(wu * 2.5, wv * 2.5, cells * 5 / 2, seed + 16);
    return std::max(crack, 0.3 * networkLine(hair, 0.05) * smoothstep(0.0, 0.3, periodicNoise(u, v, cells, seed + 17)));
}

double rockDetail(double u, double v, int cells, uint32_t seed)
{
    double wu, wv;
    wobble(u, v, cells, seed, wu, wv);
    // The stone's grain, weathered patches and scattered pits, and a lighter lip along the main
    // cracks' edges.
    double grain = 0.2 * periodicFbm(u * 2, v * 2, cells * 2, 5, seed + 5) + 0.12 * periodicFbm(u / 2, v / 2, cells / 2, 2, seed + 19);
    double pitted = smoothstep(0.15, 0.45, periodicNoise(u, v, cells, seed + 20));
    double pits = 0.14 * smoothstep(0.16, 0.06, periodicCells(u * 4, v * 4, cells * 4, seed + 18).f1) * pitted;
    CellDistances main = plates(wu, wv, cells, seed);
    double lip = 0.08 * (networkLine(main, 0.16) - networkLine(main, 0.05)) * openings(u, v, cells, seed);
    return std::clamp(0.5 + grain - pits + lip - 0.42 * rockCracks(u, v, cells, seed), 0.0, 1.0);
}

Picture terrainDetail(uint32_t seed)
{
    Picture picture(kDetailTextureSize, kDetailTextureSize, 3);
    const int cells = 16;
    for (int j = 0; j < kDetailTextureSize; ++j)
        for (int i = 0; i < kDetailTextureSize; ++i) {
            double u = static_cast<double>(i) / kDetailTextureSize * cells, v = static_cast<double>(j) / kDetailTextureSize * cells;
            float* p = picture.at(i, j);
            // Sand: fine grain with faint ripples and the odd shell or pebble. Vegetation: leafy
            // clumps with blades between them. Rock: grain, pits and cracks.
            double grain = periodicFbm(u * 4, v * 4, cells * 4, 3, seed + 1, 0.6);
            double ripple = std::sin((v + 0.3 * periodicNoise(u, v, cells, seed + 2)) * 2 * kPi * 2);
            double pebble = smoothstep(0.12, 0.06, periodicCells(u * 3, v * 3, cells * 3, seed + 6).f1);
            p[0] = static_cast<float>(0.5 + 0.28 * grain + 0.06 * ripple - 0.14 * pebble);
            double clumps = periodicFbm(u * 2, v * 2, cells * 2, 4, seed + 3, 0.55);
            double blades = periodicFbm(u * 8, v * 8, cells * 8, 2, seed + 7);
            p[1] = static_cast<float>(0.5 + 0.32 * clumps + 0.12 * blades);
            p[2] = static_cast<float>(rockDetail(u, v, cells, seed));
        }
    return picture;
}

Picture waterDistortion(uint32_t seed)
{
    Picture picture(kDudvTextureSize, kDudvTextureSize, 3);
    const int cells = 8;
    const double e = 0.5 / kDudvTextureSize * cells;
    auto n = [&](double u, double v) { return periodicFbm(u, v, cells, 3, seed + 9, 0.5); };
    for (int j = 0; j < kDudvTextureSize; ++j)
        for (int i = 0; i < kDudvTextureSize; ++i) {
            double u = static_cast<double>(i) / kDudvTextureSize * cells, v = static_cast<double>(j) / kDudvTextureSize * cells;
            double du = (n(u + e, v) - n(u - e, v)) / (2 * e), dv = (n(u, v + e) - n(u, v - e)) / (2 * e);
            float* p = picture.at(i, j);
            p[0] = static_cast<float>(0.5 + 0.18 * du);
            p[1] = static_cast<float>(0.5 + 0.18 * dv);
            p[2] = 0.5f;
        }
    return picture;
}
