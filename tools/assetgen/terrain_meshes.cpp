// The terrain meshes: terrain 1's grid, finer where the flight comes close to high, steep
// ground, and terrain 2's polar sea floor with one object per distant island.
#include "terrain_assets.h"

#include "flight_path.h"
#include "island.h"
#include "noise.h"
#include "terrain_ground.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// Planar texture coordinate over the sea floor's square, held inside it against rounding.
float floorCoordinate(double v) { return static_cast<float>(std::clamp((v + kSeaFloorExtent) / (2 * kSeaFloorExtent), 0.0, 1.0)); }

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
