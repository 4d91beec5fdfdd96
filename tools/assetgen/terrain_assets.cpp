// Terrain meshes and their pictures, painted from the island's heights: colour by height and
// slope, light from a low sun with cast shadows and ambient occlusion.
#include "terrain_assets.h"

#include "island.h"
#include "noise.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Planar texture coordinate over the sea floor's square, held inside it against rounding.
float floorCoordinate(double v) { return static_cast<float>(std::clamp((v + kSeaFloorExtent) / (2 * kSeaFloorExtent), 0.0, 1.0)); }

constexpr double kPi = 3.14159265358979323846;

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

template <typename Height>
std::array<double, 3> groundNormal(Height height, double x, double z, double h)
{
    double dx = (height(x + h, z) - height(x - h, z)) / (2 * h);
    double dz = (height(x, z + h) - height(x, z - h)) / (2 * h);
    double n[3] = {-dx, 1.0, -dz};
    double l = std::sqrt(n[0] * n[0] + 1.0 + n[2] * n[2]);
    return {n[0] / l, n[1] / l, n[2] / l};
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

// Layer weights of the ground: sand, vegetation, rock (sum 1).
struct Layers {
    double sand, green, rock;
};

Layers groundLayers(double height, double slope, double variation)
{
    double rock = std::max(smoothstep(0.65, 1.05, slope + 0.15 * variation), smoothstep(70.0, 92.0, height + 8 * variation));
    double green = smoothstep(2.4, 4.0, height + 0.8 * variation) * (1.0 - rock);
    double sand = std::max(0.0, 1.0 - rock - green);
    return {sand, green, rock};
}

Colour groundColour(const Island& island, double x, double z, double h, double slope)
{
    const uint32_t s = island.seed();
    double variation = fbm(x / 40.0, z / 40.0, 4, s + 70);
    double fine = fbm(x / 6.0, z / 6.0, 3, s + 71);
    Layers layer = groundLayers(h, slope, variation);

    const Colour drySand{0.96, 0.91, 0.77}, wetSand{0.74, 0.66, 0.50}, seabed{0.86, 0.80, 0.63};
    const Colour grass{0.46, 0.62, 0.24}, jungle{0.14, 0.33, 0.11}, darkJungle{0.08, 0.22, 0.08};
    const Colour rock{0.52, 0.48, 0.42}, darkRock{0.36, 0.33, 0.30};

    Colour sand = h < 0.0 ? blend(wetSand, seabed, smoothstep(0.0, -2.5, h)) : blend(wetSand, drySand, smoothstep(0.2, 1.1, h));
    if (h < -2.0) sand = blend(sand, Colour{0.55, 0.58, 0.42}, 0.35 * smoothstep(0.2, 0.6, fbm(x / 30.0, z / 30.0, 3, s + 72)));
    Colour green = blend(grass, jungle, smoothstep(4.0, 14.0, h + 6 * variation));
    green = blend(green, darkJungle, 0.5 * smoothstep(0.0, 0.6, fbm(x / 18.0, z / 18.0, 3, s + 73)));
    Colour stone = blend(rock, darkRock, 0.5 + 0.5 * ridged(x / 20.0, z / 20.0, 3, s + 74) - 0.3);

    Colour c{0, 0, 0};
    for (int k = 0; k < 3; ++k) c[k] = (sand[k] * layer.sand + green[k] * layer.green + stone[k] * layer.rock) * (1.0 + 0.06 * fine);
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

// A world point as a model vertex of a terrain drawn at scale 2 with the given height offset.
void addVertex(ObjectDescription& o, double x, double y, double z, double offsetY, float u, float v)
{
    o.vertices.insert(o.vertices.end(), {static_cast<float>(x / kModelScale), static_cast<float>((y - offsetY) / kModelScale),
                                         static_cast<float>(z / kModelScale)});
    o.texCoords.insert(o.texCoords.end(), {u, v});
}

// Two triangles a cell over a (cells + 1)² grid of vertices laid out row by row along z,
// counter-clockwise seen from above (y up), all in one material group.
void addGridTriangles(ObjectDescription& o, int cells, const std::string& material)
{
    const int n = cells + 1;
    MaterialGroupDescription group{material, {}};
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            uint16_t a = static_cast<uint16_t>(j * n + i), b = static_cast<uint16_t>(a + 1);
            uint16_t c = static_cast<uint16_t>(a + n), d = static_cast<uint16_t>(c + 1);
            size_t t = o.triangles.size() / 3;
            o.triangles.insert(o.triangles.end(), {a, c, b, b, c, d});
            group.triangles.push_back(static_cast<uint16_t>(t));
            group.triangles.push_back(static_cast<uint16_t>(t + 1));
        }
    o.groups.push_back(group);
}

} // namespace

ModelDescription terrain1Model(const Island& island)
{
    ObjectDescription o;
    o.name = "island";
    const int n = kTerrain1Cells + 1;
    const double step = 2 * kIslandExtent / kTerrain1Cells;
    auto height = [&](double x, double z) { return island.sampledHeight(x, z); };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            double x = -kIslandExtent + i * step, z = -kIslandExtent + j * step;
            addVertex(o, x, island.height(x, z), z, kTerrain1OffsetY, static_cast<float>(i) / kTerrain1Cells,
                      static_cast<float>(j) / kTerrain1Cells);
            std::array<double, 3> normal = groundNormal(height, x, z, step * 0.5);
            o.normals.insert(o.normals.end(), {static_cast<float>(normal[0]), static_cast<float>(normal[1]), static_cast<float>(normal[2])});
        }
    addGridTriangles(o, kTerrain1Cells, "ground");
    ModelDescription d;
    d.materials = {{"ground", {200, 190, 150}, ""}};
    d.objects = {o};
    return d;
}

static void addPolarFloor(const Island& island, ObjectDescription& o)
{
    // Rings closer together near the island, where the floor is seen through clear water.
    std::vector<double> radii = {0.0};
    const double first = 140.0, growth = std::pow(kSeaFloorExtent / first, 1.0 / (kTerrain2Rings - 1));
    for (int k = 0; k < kTerrain2Rings; ++k) radii.push_back(first * std::pow(growth, k));
    auto put = [&](double x, double z) {
        addVertex(o, x, island.seaFloorBase(x, z), z, kTerrain2OffsetY, floorCoordinate(x), floorCoordinate(z));
    };
    put(0, 0);
    for (size_t k = 1; k < radii.size(); ++k)
        for (int s = 0; s < kTerrain2Sectors; ++s) {
            double a = 2 * kPi * s / kTerrain2Sectors;
            put(std::cos(a) * radii[k], std::sin(a) * radii[k]);
        }
    MaterialGroupDescription group{"seabed", {}};
    auto ring = [&](size_t k, int s) { return static_cast<uint16_t>(1 + (k - 1) * kTerrain2Sectors + (s % kTerrain2Sectors)); };
    auto tri = [&](uint16_t a, uint16_t b, uint16_t c) {
        group.triangles.push_back(static_cast<uint16_t>(o.triangles.size() / 3));
        o.triangles.insert(o.triangles.end(), {a, b, c});
    };
    // Every triangle counter-clockwise seen from above, like the island grid.
    for (int s = 0; s < kTerrain2Sectors; ++s) tri(0, ring(1, s + 1), ring(1, s));
    for (size_t k = 1; k + 1 < radii.size(); ++k)
        for (int s = 0; s < kTerrain2Sectors; ++s) {
            tri(ring(k, s), ring(k, s + 1), ring(k + 1, s));
            tri(ring(k, s + 1), ring(k + 1, s + 1), ring(k + 1, s));
        }
    o.groups = {group};
}

static ObjectDescription distantIslandObject(const Island& island, const DistantIsland& d, int index)
{
    ObjectDescription o;
    o.name = "isle" + std::to_string(index);
    const int n = kDistantIslandCells + 1;
    const double half = 1.6 * d.radius, step = 2 * half / kDistantIslandCells;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            double x = d.x - half + i * step, z = d.z - half + j * step;
            addVertex(o, x, island.distantIslandHeight(d, x, z), z, kTerrain2OffsetY, floorCoordinate(x), floorCoordinate(z));
        }
    addGridTriangles(o, kDistantIslandCells, "seabed");
    return o;
}

ModelDescription terrain2Model(const Island& island)
{
    ModelDescription d;
    d.materials = {{"seabed", {60, 110, 120}, ""}};
    ObjectDescription floor;
    floor.name = "seafloor";
    addPolarFloor(island, floor);
    d.objects.push_back(floor);
    int index = 0;
    for (const DistantIsland& isle : island.distantIslands()) d.objects.push_back(distantIslandObject(island, isle, index++));
    return d;
}

Picture terrain1Surface(const Island& island)
{
    return paint(kTerrainTextureSize, kIslandExtent, 3, [&](double x, double z, float* p) {
        Colour c = groundColour(island, x, z, island.sampledHeight(x, z), island.slope(x, z));
        for (int k = 0; k < 3; ++k) p[k] = static_cast<float>(c[k]);
    });
}

Picture terrain1Mixing(const Island& island)
{
    return paint(kTerrainTextureSize, kIslandExtent, 3, [&](double x, double z, float* p) {
        double variation = fbm(x / 40.0, z / 40.0, 4, island.seed() + 70);
        Layers l = groundLayers(island.sampledHeight(x, z), island.slope(x, z), variation);
        p[0] = static_cast<float>(l.sand);
        p[1] = static_cast<float>(l.green);
        p[2] = static_cast<float>(l.rock);
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
            c = groundColour(island, x, z, h, 0.1);   // a distant island: beaches and green
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
        Layers l = h > 0.0 ? groundLayers(h, 0.1, 0.0) : Layers{1.0, 0.0, 0.0};
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

Picture terrainDetail(uint32_t seed)
{
    Picture picture(kDetailTextureSize, kDetailTextureSize, 3);
    const int cells = 16;
    for (int j = 0; j < kDetailTextureSize; ++j)
        for (int i = 0; i < kDetailTextureSize; ++i) {
            double u = static_cast<double>(i) / kDetailTextureSize * cells, v = static_cast<double>(j) / kDetailTextureSize * cells;
            float* p = picture.at(i, j);
            // Sand: fine grain with faint ripples. Vegetation: leafy blotches. Rock: cracks.
            double grain = periodicFbm(u * 4, v * 4, cells * 4, 3, seed + 1, 0.6);
            double ripple = std::sin((v + 0.3 * periodicNoise(u, v, cells, seed + 2)) * 2 * kPi * 2);
            p[0] = static_cast<float>(0.5 + 0.28 * grain + 0.06 * ripple);
            p[1] = static_cast<float>(0.5 + 0.35 * periodicFbm(u * 2, v * 2, cells * 2, 4, seed + 3, 0.55));
            double cracks = 1.0 - std::fabs(periodicNoise(u, v, cells, seed + 4));
            p[2] = static_cast<float>(0.5 + 0.3 * periodicFbm(u * 2, v * 2, cells * 2, 4, seed + 5) - 0.35 * std::pow(cracks, 12));
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
