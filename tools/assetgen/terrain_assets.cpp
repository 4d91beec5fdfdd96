// Terrain meshes and their pictures, painted from the island's heights: colour by height and
// slope, light from a low sun with cast shadows and ambient occlusion.
#include "terrain_assets.h"

#include "flight_path.h"
#include "island.h"
#include "noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

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

std::vector<int> terrain1Levels(const Island& island)
{
    const int n = kTerrain1Cells;
    const double step = 2 * kIslandExtent / n;
    // The flight, a point every few units, to tell the ground it passes close to.
    std::vector<Waypoint> path = islandFlightPath(island);
    std::vector<std::array<double, 3>> flight;
    for (size_t k = 0; k < path.size(); ++k) {
        const Waypoint &a = path[k], &b = path[(k + 1) % path.size()];
        for (int t = 0; t < 8; ++t)
            flight.push_back({mix(a.x, b.x, t / 8.0), mix(a.y, b.y, t / 8.0), mix(a.z, b.z, t / 8.0)});
    }
    std::vector<int> level(static_cast<size_t>(n) * n, 0);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            // The highest and the steepest the ground gets over the cell.
            double top = -1e9, steep = 0.0;
            for (int b = 0; b <= 4; ++b)
                for (int a = 0; a <= 4; ++a) {
                    double x = -kIslandExtent + (i + a / 4.0) * step, z = -kIslandExtent + (j + b / 4.0) * step;
                    top = std::max(top, island.sampledHeight(x, z));
                    steep = std::max(steep, island.slope(x, z));
                }
            if (top <= kFinerHeight || steep <= kFinerSlope) continue;
            double cx = -kIslandExtent + (i + 0.5) * step, cz = -kIslandExtent + (j + 0.5) * step, near = 1e9;
            for (const std::array<double, 3>& p : flight)
                near = std::min(near, std::sqrt((p[0] - cx) * (p[0] - cx) + (p[1] - top) * (p[1] - top) + (p[2] - cz) * (p[2] - cz)));
            int& l = level[static_cast<size_t>(j) * n + i];
            if (near > kFinerRange) continue;
            l = top > kFinestHeight && steep > kFinestSlope && near <= kFinestRange ? kTerrain1Levels : 1;
        }
    // Neighbours at most one level apart, so no cell's edge carries more than one extra vertex
    // from a finer neighbour and no fan gets needle triangles.
    for (bool changed = true; changed;) {
        changed = false;
        for (int j = 0; j < n; ++j)
            for (int i = 0; i < n; ++i) {
                int want = level[static_cast<size_t>(j) * n + i] - 1;
                for (auto [di, dj] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    int a = i + di, b = j + dj;
                    if (a < 0 || b < 0 || a >= n || b >= n) continue;
                    int& other = level[static_cast<size_t>(b) * n + a];
                    if (other < want) {
                        other = want;
                        changed = true;
                    }
                }
            }
    }
    return level;
}

ModelDescription terrain1Model(const Island& island)
{
    // Vertices live on a lattice kFine times finer than the base grid; a base cell of level L is
    // cut into 2^L × 2^L squares. A square whose edges carry vertices of finer neighbours is a fan
    // around its centre, so the mesh has no T-junctions and no cracks.
    constexpr int kFine = 1 << kTerrain1Levels;
    const int n = kTerrain1Cells, fineSide = n * kFine + 1;
    const double fineStep = 2 * kIslandExtent / (n * kFine);
    const std::vector<int> level = terrain1Levels(island);
    auto height = [&](double x, double z) { return island.sampledHeight(x, z); };

    ObjectDescription o;
    o.name = "island";
    std::vector<int32_t> index(static_cast<size_t>(fineSide) * fineSide, -1);
    auto vertexAt = [&](int fi, int fj) -> int32_t {
        int32_t& v = index[static_cast<size_t>(fj) * fineSide + fi];
        if (v >= 0) return v;
        v = static_cast<int32_t>(o.vertices.size() / 3);
        double x = -kIslandExtent + fi * fineStep, z = -kIslandExtent + fj * fineStep;
        addVertex(o, x, island.height(x, z), z, kTerrain1OffsetY, static_cast<float>(fi) / (n * kFine),
                  static_cast<float>(fj) / (n * kFine));
        // The normal over the spacing of the coarsest lattice the vertex belongs to.
        int spacing = kFine;
        while (spacing > 1 && (fi % spacing || fj % spacing)) spacing /= 2;
        std::array<double, 3> normal = groundNormal(height, x, z, spacing * fineStep * 0.5);
        o.normals.insert(o.normals.end(), {static_cast<float>(normal[0]), static_cast<float>(normal[1]), static_cast<float>(normal[2])});
        return v;
    };
    // Every cell's own lattice points first, so that the squares below see their neighbours'.
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int span = kFine >> level[static_cast<size_t>(j) * n + i];
            for (int b = 0; b <= kFine; b += span)
                for (int a = 0; a <= kFine; a += span) vertexAt(i * kFine + a, j * kFine + b);
        }
    MaterialGroupDescription group{"ground", {}};
    std::vector<int32_t> triangles;
    auto triangle = [&](int32_t a, int32_t b, int32_t c) { triangles.insert(triangles.end(), {a, b, c}); };
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int span = kFine >> level[static_cast<size_t>(j) * n + i];
            for (int b = 0; b < kFine; b += span)
                for (int a = 0; a < kFine; a += span) {
                    int fi = i * kFine + a, fj = j * kFine + b;
                    // The square's outline, counter-clockwise seen from above: up z, along x, down z, back.
                    std::vector<int32_t> ring;
                    auto walk = [&](int si, int sj, int di, int dj) {
                        for (int k = 0; k < span; ++k) {
                            int32_t v = index[static_cast<size_t>(sj + dj * k) * fineSide + si + di * k];
                            if (v >= 0) ring.push_back(v);
                        }
                    };
                    walk(fi, fj, 0, 1);
                    walk(fi, fj + span, 1, 0);
                    walk(fi + span, fj + span, 0, -1);
                    walk(fi + span, fj, -1, 0);
                    if (ring.size() == 4) {
                        triangle(ring[0], ring[1], ring[3]);
                        triangle(ring[3], ring[1], ring[2]);
                    } else {
                        int32_t centre = vertexAt(fi + span / 2, fj + span / 2);
                        for (size_t k = 0; k < ring.size(); ++k) triangle(centre, ring[k], ring[(k + 1) % ring.size()]);
                    }
                }
        }
    const size_t vertexCount = o.vertices.size() / 3, triangleCount = triangles.size() / 3;
    if (vertexCount > kModelIndexLimit || triangleCount > kModelIndexLimit)
        throw std::length_error("terrain 1 has " + std::to_string(vertexCount) + " vertices and " +
                                std::to_string(triangleCount) + " triangles, over the model format's limit");
    for (int32_t v : triangles) o.triangles.push_back(static_cast<uint16_t>(v));
    for (size_t t = 0; t < triangleCount; ++t) group.triangles.push_back(static_cast<uint16_t>(t));
    o.groups.push_back(group);
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

namespace {

// How near a point lies to a line of a cell network, 1 on the line falling to 0 at width (in
// cells), from the gap between the nearest and the second nearest feature point.
double networkLine(const CellDistances& d, double width) { return 1.0 - smoothstep(0.0, width, d.f2 - d.f1); }

} // namespace

namespace {

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
