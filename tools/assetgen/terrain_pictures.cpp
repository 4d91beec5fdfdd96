// The terrains' pictures, painted from the island's heights: colour by height and slope, the
// mixing map of the detail layers, and light from a low sun with cast shadows and ambient
// occlusion.
#include "terrain_assets.h"

#include "island.h"
#include "noise.h"
#include "terrain_ground.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Colour = std::array<double, 3>;

Colour blend(const Colour& a, const Colour& b, double t)
{
    return {mix(a[0], b[0], t), mix(a[1], b[1], t), mix(a[2], b[2], t)};
}

std::array<double, 3> sunDirection()
{
    double h = std::hypot(kSunAzimuthX, kSunAzimuthZ);
    double e = kSunElevationDegrees * kPi / 180.0;
    return {kSunAzimuthX / h * std::cos(e), std::sin(e), kSunAzimuthZ / h * std::cos(e)};
}

// World position of a texel centre of a square picture over [-extent, extent] (rows top first, v up).
void texelWorld(int i, int j, int size, double extent, double& x, double& z)
{
    x = -extent + 2 * extent * (i + 0.5) / size;
    z = -extent + 2 * extent * (1.0 - (j + 0.5) / size);
}

// Paints each row of a picture with fn(x, z, pixel).
template <typename Fn>
Picture paint(int size, double extent, int channels, Fn fn)
{
    Picture picture(size, size, channels);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            double x, z;
            texelWorld(i, j, size, extent, x, z);
            fn(x, z, picture.at(i, j));
        }
    return picture;
}

// What the painters know of a ground point besides where it is.
struct Ground {
    double h = 0, slope = 0;
    double hollow = 0;      // -1 on ridges and edges, 0 on even ground, 1 in hollows and clefts
    double sunward = 0;     // how squarely the ground faces the sun, 0 to 1
    double shelter = 0;     // 1 under a palm's crown, 0 in the open
};

Ground sampleGround(const Island& island, double x, double z)
{
    auto height = [&](double px, double pz) { return island.sampledHeight(px, pz); };
    Ground g;
    g.h = height(x, z);
    g.slope = island.slope(x, z);
    const double d = 8.0;
    double curvature = (height(x + d, z) + height(x - d, z) + height(x, z + d) + height(x, z - d) - 4 * g.h) / (d * d);
    g.hollow = std::tanh(curvature * 25.0);
    std::array<double, 3> n = groundNormal(height, x, z, 3.0), sun = sunDirection();
    g.sunward = std::max(0.0, n[0] * sun[0] + n[1] * sun[1] + n[2] * sun[2]);
    for (const Palm& palm : island.palms()) {
        double crownX = palm.x + palm.leanX * palm.lean * palm.height, crownZ = palm.z + palm.leanZ * palm.lean * palm.height;
        g.shelter = std::max(g.shelter, smoothstep(9.0, 3.0, std::hypot(x - crownX, z - crownZ)));
    }
    return g;
}

// Noise that the colour and the mixing maps share, so that their edges agree: the broad
// variation, and the same with finer octaves that fray the edges between the layers.
struct GroundNoise {
    double broad = 0, fray = 0;
};

GroundNoise groundNoise(uint32_t s, double x, double z)
{
    GroundNoise n;
    n.broad = fbm(x / 40.0, z / 40.0, 4, s + 70);
    n.fray = n.broad + 0.6 * fbm(x / 8.0, z / 8.0, 3, s + 75) + 0.35 * fbm(x / 2.5, z / 2.5, 2, s + 76);
    return n;
}

// Layer weights of the ground: sand, vegetation, rock, and scree (loose stones below the rock,
// which the mixing map gives half to the sand's grain and half to the rock's). Sum 1.
struct Layers {
    double sand, green, rock, scree;
};

Layers groundLayers(const Ground& g, const GroundNoise& n)
{
    double rock = std::max(smoothstep(0.62, 0.86, g.slope + 0.16 * n.fray), smoothstep(70.0, 90.0, g.h + 8 * n.fray));
    double scree = (1.0 - rock) * smoothstep(0.4, 0.6, g.slope + 0.2 * n.fray) * smoothstep(8.0, 16.0, g.h + 4 * n.fray);
    // Grass runs out into the sand in tongues and leaves patches of sand behind.
    double green = smoothstep(2.7, 3.2, g.h + 0.9 * n.fray) * (1.0 - rock - scree);
    double sand = std::max(0.0, 1.0 - rock - scree - green);
    return {sand, green, rock, scree};
}

Colour groundColour(const Island& island, double x, double z, const Ground& g)
{
    const uint32_t s = island.seed();
    const double h = g.h;
    GroundNoise noise = groundNoise(s, x, z);
    double fine = fbm(x / 6.0, z / 6.0, 3, s + 71);
    Layers layer = groundLayers(g, noise);

    // Sand: a wet band along the water with a line of wrack above it, dry sand above that.
    const Colour drySand{0.96, 0.91, 0.77}, wetSand{0.64, 0.56, 0.42}, seabed{0.86, 0.80, 0.63}, wrack{0.50, 0.45, 0.36};
    Colour sand;
    if (h < 0.0) {
        sand = blend(wetSand, seabed, smoothstep(0.0, -2.5, h));
    } else {
        double wetTop = 0.9 + 0.15 * fbm(x / 6.0, z / 6.0, 2, s + 77);
        sand = blend(wetSand, drySand, smoothstep(wetTop - 0.05, wetTop + 0.05, h));
        double line = std::exp(-std::pow((h - wetTop - 0.1) / 0.05, 2)) * smoothstep(-0.1, 0.4, fbm(x / 3.0, z / 3.0, 2, s + 78));
        sand = blend(sand, wrack, 0.5 * line);
        sand = blend(sand, Colour{0.90, 0.83, 0.66}, 0.4 * smoothstep(0.0, 0.6, fbm(x / 14.0, z / 14.0, 3, s + 79)));
    }
    if (h < -2.0) sand = blend(sand, Colour{0.55, 0.58, 0.42}, 0.35 * smoothstep(0.2, 0.6, fbm(x / 30.0, z / 30.0, 3, s + 72)));

    // Grass: patches lighter and darker at two scales, dry on ridges and sunny slopes, rich in
    // hollows and in the palms' shade, into jungle higher up.
    const Colour grass{0.46, 0.62, 0.24}, lush{0.24, 0.46, 0.13}, dry{0.66, 0.63, 0.36};
    const Colour jungle{0.14, 0.33, 0.11}, darkJungle{0.08, 0.22, 0.08};
    Colour green = blend(grass, jungle, smoothstep(4.0, 14.0, h + 6 * noise.broad));
    green = blend(green, darkJungle, 0.5 * smoothstep(0.0, 0.6, fbm(x / 18.0, z / 18.0, 3, s + 73)));
    double patches = 0.14 * fbm(x / 120.0, z / 120.0, 3, s + 80) + 0.11 * fbm(x / 9.0, z / 9.0, 3, s + 81);
    for (double& v : green) v *= 1.0 + patches;
    double exposed = smoothstep(0.1, 0.7, -g.hollow) + smoothstep(0.15, 0.45, g.slope) * smoothstep(0.55, 0.9, g.sunward);
    double dryness = std::clamp(exposed + 0.6 * fbm(x / 25.0, z / 25.0, 3, s + 82), 0.0, 1.0) * (1.0 - 0.7 * g.shelter);
    green = blend(green, dry, 0.6 * dryness * (1.0 - smoothstep(8.0, 20.0, h)));
    green = blend(green, lush, 0.55 * std::max(smoothstep(0.1, 0.7, g.hollow), g.shelter));

    // Rock: grey-brown with iron stains, darker in the clefts, bleached on what stands out,
    // faint bands with the height, lichen where it is gentler and away from the sun.
    const Colour rock{0.52, 0.48, 0.42}, darkRock{0.36, 0.33, 0.30}, cleft{0.22, 0.21, 0.20}, bleached{0.70, 0.67, 0.60};
    const Colour stain{0.58, 0.44, 0.30}, lichen{0.60, 0.62, 0.38}, orangeLichen{0.72, 0.55, 0.30};
    Colour stone = blend(rock, darkRock, 0.5 + 0.5 * ridged(x / 20.0, z / 20.0, 3, s + 74) - 0.3);
    stone = blend(stone, stain, 0.4 * smoothstep(0.1, 0.6, fbm(x / 30.0, z / 30.0, 3, s + 83)));
    stone = blend(stone, cleft, 0.4 * smoothstep(0.0, 0.9, g.hollow));
    stone = blend(stone, bleached, 0.3 * smoothstep(0.0, 0.9, -g.hollow));
    double band = std::sin(h * 2 * kPi / 3.7 + 2.5 * fbm(x / 30.0, z / 30.0, 2, s + 84));
    for (double& v : stone) v *= 1.0 + 0.08 * band;
    double growth = smoothstep(0.15, 0.55, fbm(x / 7.0, z / 7.0, 3, s + 85)) * (1.0 - smoothstep(0.9, 1.6, g.slope)) * (1.0 - 0.5 * g.sunward);
    stone = blend(stone, fbm(x / 40.0, z / 40.0, 2, s + 86) > 0.0 ? lichen : orangeLichen, 0.55 * growth);

    // Scree: broken stone with the sand and soil between.
    Colour scree = blend(blend(rock, Colour{0.62, 0.56, 0.45}, 0.4), darkRock, 0.5 + 0.5 * fbm(x / 1.7, z / 1.7, 2, s + 87));

    Colour c{0, 0, 0};
    for (int k = 0; k < 3; ++k)
        c[k] = (sand[k] * layer.sand + green[k] * layer.green + stone[k] * layer.rock + scree[k] * layer.scree) * (1.0 + 0.06 * fine);
    return c;
}

// Light of the ground at a point: sun on the slope, shadows cast toward the sun, sky occlusion.
template <typename Height>
double groundLight(Height height, double x, double z, double maxReach)
{
    const std::array<double, 3> sun = sunDirection();
    double h0 = height(x, z);
    std::array<double, 3> n = groundNormal(height, x, z, 3.0);
    double lambert = std::max(0.0, n[0] * sun[0] + n[1] * sun[1] + n[2] * sun[2]);

    // Soft shadow: the least clearance of the ray to the sun over the ground, relative to distance.
    double shadow = 1.0;
    const double horizontal = std::hypot(sun[0], sun[2]);
    for (double d = 2.0; d < maxReach; d *= 1.06) {
        double px = x + sun[0] / horizontal * d, pz = z + sun[2] / horizontal * d;
        double ray = h0 + 0.5 + sun[1] / horizontal * d;
        double clearance = (ray - height(px, pz)) / d;
        shadow = std::min(shadow, smoothstep(-0.02, 0.06, clearance));
        if (ray > 130.0) break;
    }

    // Ambient occlusion from the horizon in eight directions.
    double open = 0.0;
    for (int a = 0; a < 8; ++a) {
        double ca = std::cos(a * kPi / 4), sa = std::sin(a * kPi / 4);
        double horizon = 0.0;
        for (double d = 4.0; d <= 96.0; d *= 2.0) horizon = std::max(horizon, (height(x + ca * d, z + sa * d) - h0) / d);
        open += 1.0 - std::atan(horizon) / (kPi / 2);
    }
    open /= 8.0;
    double ao = std::clamp(open * open * 1.1, 0.0, 1.0);
    return 0.38 * ao + 0.85 * lambert * shadow;
}

} // namespace

Picture terrain1Surface(const Island& island)
{
    return paint(kTerrainTextureSize, kIslandExtent, 3, [&](double x, double z, float* p) {
        Colour c = groundColour(island, x, z, sampleGround(island, x, z));
        for (int k = 0; k < 3; ++k) p[k] = static_cast<float>(c[k]);
    });
}

Picture terrain1Mixing(const Island& island)
{
    return paint(kTerrainTextureSize, kIslandExtent, 3, [&](double x, double z, float* p) {
        Layers l = groundLayers(sampleGround(island, x, z), groundNoise(island.seed(), x, z));
        p[0] = static_cast<float>(l.sand + 0.5 * l.scree);
        p[1] = static_cast<float>(l.green);
        p[2] = static_cast<float>(l.rock + 0.5 * l.scree);
    });
}

Picture terrain1Light(const Island& island)
{
    auto height = [&](double x, double z) { return island.sampledHeight(x, z); };
    return paint(kTerrainTextureSize, kIslandExtent, 3, [&](double x, double z, float* p) {
        float v = static_cast<float>(groundLight(height, x, z, 450.0) / kLightScale);
        p[0] = p[1] = p[2] = v;
    });
}

Picture terrain2Surface(const Island& island)
{
    return paint(kTerrainTextureSize, kSeaFloorExtent, 3, [&](double x, double z, float* p) {
        double h = island.seaFloor(x, z);
        Colour c;
        if (h > 0.0) {
            Ground g;   // a distant island: beaches and green
            g.h = h;
            g.slope = 0.1;
            g.sunward = 0.7;
            c = groundColour(island, x, z, g);
        } else {
            // Pale sand near the island and on the shallows of the far islands, darker deeper down.
            const Colour shallow{0.84, 0.79, 0.62}, deep{0.33, 0.42, 0.40};
            c = blend(shallow, deep, smoothstep(-10.0, -45.0, h));
            double grain = fbm(x / 60.0, z / 60.0, 3, island.seed() + 80);
            for (double& v : c) v *= 1.0 + 0.08 * grain;
        }
        for (int k = 0; k < 3; ++k) p[k] = static_cast<float>(c[k]);
    });
}

Picture terrain2Mixing(const Island& island)
{
    return paint(kTerrainTextureSize, kSeaFloorExtent, 3, [&](double x, double z, float* p) {
        double h = island.seaFloor(x, z);
        Ground g;
        g.h = h;
        g.slope = 0.1;
        Layers l = h > 0.0 ? groundLayers(g, GroundNoise{}) : Layers{1.0, 0.0, 0.0, 0.0};
        p[0] = static_cast<float>(l.sand * 0.7);
        p[1] = static_cast<float>(l.green * 0.7);
        p[2] = static_cast<float>(l.rock * 0.7);
    });
}

Picture terrain2Light(const Island& island)
{
    auto height = [&](double x, double z) { return island.seaFloor(x, z); };
    return paint(kTerrainTextureSize, kSeaFloorExtent, 3, [&](double x, double z, float* p) {
        // The open floor is all but flat: lit evenly; the distant islands get their relief and shadows.
        bool nearIsle = false;
        for (const DistantIsland& d : island.distantIslands())
            if (std::hypot(x - d.x, z - d.z) < 1.7 * d.radius) nearIsle = true;
        double light = nearIsle ? groundLight(height, x, z, 200.0) : 0.95;
        p[0] = p[1] = p[2] = static_cast<float>(light / kLightScale);
    });
}
