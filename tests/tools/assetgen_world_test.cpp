// The generated island world as the engine will meet it: models read back by the engine's own
// reader within their budgets, an island mesh without cracks that is finer only where the
// ground is high and steep, rock cracks that do not close into rings, normals files that match,
// textures of power-of-two sides within the memory budget, terrains that meet without a visible
// edge, palms on the ground, and a camera flight that keeps its clearances.
#include "asset_catalogue.h"
#include "assets/jpeg.h"
#include "assets/model_3ds.h"
#include "assets/tga.h"
#include "flight_path.h"
#include "island.h"
#include "noise.h"
#include "terrain_assets.h"
#include "world_assets.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

static std::vector<uint8_t> builtFile(const std::string& name)
{
    std::ifstream in(fs::path(QUELM_ASSET_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

static const Island& island() { return islandFor(kAssetSeed); }

struct ModelFigures {
    size_t triangles = 0, vertices = 0, largestObject = 0;
};

static ModelFigures readBack(const std::string& name, Model_3DS& model)
{
    std::vector<uint8_t> bytes = builtFile(name);
    model.readModel(bytes.data(), bytes.size());
    std::vector<uint8_t> normals = builtFile("n" + name);
    int filled = model.readNormals(reinterpret_cast<const char*>(normals.data()), normals.size());
    ModelFigures f;
    for (const ModelObject& o : model.objects) {
        for (const MaterialFaces& g : o.materialGroups) f.triangles += g.indices.size() / 3;
        f.vertices += static_cast<size_t>(o.numVertices);
        f.largestObject = std::max<size_t>(f.largestObject, static_cast<size_t>(o.numVertices));
    }
    EXPECT_EQ(static_cast<size_t>(filled), f.vertices) << name << ": one normal a vertex";
    for (const ModelObject& o : model.objects)
        for (int v = 0; v < o.numVertices; ++v) {
            const float* n = &o.normals[static_cast<size_t>(v) * 3];
            EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-3) << name;
            if (::testing::Test::HasFailure()) return f;
        }
    return f;
}

TEST(AssetgenWorld, TerrainModelsFitTheirBudgetsAndCarryTextureCoordinates)
{
    Model_3DS t1, t2;
    ModelFigures a = readBack("ter.3ds", t1), b = readBack("ter2.3ds", t2);
    EXPECT_GT(a.triangles, 20000u);
    EXPECT_LE(a.triangles, 42000u) << "the finer grid stays where the flight comes close";
    EXPECT_LE(b.triangles, 10000u);
    EXPECT_LE(a.largestObject, kModelIndexLimit);
    EXPECT_LE(b.largestObject, kModelIndexLimit);
    EXPECT_EQ(t2.numObjects, 1 + static_cast<int>(island().distantIslands().size()));
    for (const Model_3DS* m : {&t1, &t2})
        for (const ModelObject& o : m->objects) {
            EXPECT_TRUE(o.textured);
            EXPECT_EQ(o.numTexCoords, o.numVertices);
            for (float c : o.texCoords) ASSERT_TRUE(c >= 0.0f && c <= 1.0f);
        }
    // In the world (scale 2 and the offset), terrain 1's highest point is a peak 60 to 120 above the sea.
    float top = -1e9f;
    for (const ModelObject& o : t1.objects)
        for (int v = 0; v < o.numVertices; ++v) top = std::max(top, o.vertices[static_cast<size_t>(v) * 3 + 1]);
    double peak = kModelScale * top + kTerrain1OffsetY;
    EXPECT_GE(peak, 60.0);
    EXPECT_LE(peak, 120.0);
}

TEST(AssetgenWorld, IslandIsAboutSevenHundredAcrossAndSinksUnderTheSeaFloorBeforeItsEdge)
{
    double widest = 0, narrowest = 1e9;
    for (int a = 0; a < 360; ++a) {
        double r = island().coastRadius(a * 3.14159265358979 / 180.0);
        widest = std::max(widest, r);
        narrowest = std::min(narrowest, r);
    }
    EXPECT_GE(2 * (widest + narrowest) / 2, 550.0);
    EXPECT_LE(2 * widest, 820.0);
    // Along the border of terrain 1 the sea floor (terrain 2) lies above it, so no edge shows.
    for (double s = -kIslandExtent; s <= kIslandExtent; s += 10.0)
        for (auto [x, z] : {std::pair{s, -kIslandExtent}, {s, kIslandExtent}, {-kIslandExtent, s}, {kIslandExtent, s}})
            ASSERT_LT(island().height(x, z), island().seaFloor(x, z)) << x << "," << z;
}

TEST(AssetgenWorld, PalmsStandOnBeachesAndLowlands)
{
    const std::vector<Palm>& palms = island().palms();
    EXPECT_GE(palms.size(), 25u);
    EXPECT_LE(palms.size(), 50u);
    for (const Palm& p : palms) {
        double ground = island().height(p.x, p.z);
        EXPECT_GT(ground, 1.0);
        EXPECT_LT(ground, 14.0);
        EXPECT_NEAR(p.baseY, ground, 1.0) << "the foot is on the ground";
        EXPECT_GE(p.height, 10.0);
        EXPECT_LE(p.height, 20.0);
    }
}

TEST(AssetgenWorld, TexturesArePowersOfTwoWithinTheMemoryBudget)
{
    double bytes = 0;
    // Every picture the pack holds; the detail map is uploaded once for each terrain.
    for (const char* name : {"terstex.jpg", "termtex.jpg", "terdtex.jpg", "terdtex.jpg", "tershtex.jpg", "ter2stex.jpg",
                             "ter2mtex.jpg", "ter2shtex.jpg", "dudv.jpg", "sky.jpg", "shiphull.jpg", "shipdeck.jpg",
                             "palmbark.jpg", "palmleaf.tga"}) {
        std::vector<uint8_t> file = builtFile(name);
        int width = 0, height = 0, components = 3;
        if (std::string(name).ends_with(".tga")) {
            std::optional<TgaImage> image = decodeTGA(file.data(), file.size());
            ASSERT_TRUE(image) << name;
            width = image->width, height = image->height, components = image->components;
        } else {
            std::optional<JpegImage> image = decodeJPEG(file.data(), file.size());
            ASSERT_TRUE(image) << name;
            width = image->width, height = image->height;
        }
        for (int side : {width, height}) {
            EXPECT_LE(side, 1024) << name;
            EXPECT_EQ(side & (side - 1), 0) << name << " side " << side;
        }
        bytes += width * height * components * 4.0 / 3.0;   // with its mipmaps
    }
    EXPECT_LT(bytes, 40e6);
    std::printf("textures take %.1f MB with their mipmaps\n", bytes / 1e6);
}

TEST(AssetgenWorld, TheFlightKeepsItsClearancesAndLoopsClosed)
{
    std::vector<uint8_t> file = builtFile("wp.dat");
    WaypointPath path;
    WaypointParseReport read = parseWaypoints(file.data(), file.size(), path);
    ASSERT_EQ(read.recordsRead, path.count);
    ASSERT_GT(path.count, 0);
    std::vector<Waypoint> points(path.points.begin(), path.points.begin() + path.count);
    PathReport report = checkFlightPath(island(), points);
    EXPECT_TRUE(report.problems.empty()) << describe(report);
    EXPECT_TRUE(report.closed);
    EXPECT_GE(report.terrain1Clearance, kMinGroundClearance);
    EXPECT_GE(report.seaClearance, kMinSeaClearance);
    EXPECT_GE(report.palmClearance, kMinObjectClearance);
    EXPECT_GE(report.shipClearance, kMinObjectClearance);
    EXPECT_LE(report.farthest + 75.0 * 30.0, 3000.0) << "the sky dome stays inside the far plane";
    // A calm flight: neighbouring segments of similar length.
    EXPECT_LT(report.longestSegment, 1.5 * report.shortestSegment);
    // Unit view quaternions.
    for (const Waypoint& w : points)
        EXPECT_NEAR(w.qx * w.qx + w.qy * w.qy + w.qz * w.qz + w.qw * w.qw, 1.0, 1e-4);
}

TEST(AssetgenWorld, TheCheckerCatchesAFlightThroughTheGround)
{
    std::vector<Waypoint> path = islandFlightPath(island());
    ASSERT_TRUE(checkFlightPath(island(), path).problems.empty());
    for (Waypoint& w : path) w.y -= 30.0f;
    PathReport low = checkFlightPath(island(), path);
    EXPECT_FALSE(low.problems.empty());
    EXPECT_LT(low.terrain1Clearance, 0.0);
    std::vector<Waypoint> open(path.begin(), path.end() - 3);
    EXPECT_FALSE(checkFlightPath(island(), open).closed);
}

// Terrain 1's mesh as the engine draws it: every triangle faces up, the triangles cover the
// square once (no holes, no overlaps), and every edge inside the square has a triangle on each
// side, so a finer patch meets the coarser grid around it without a T-junction or a crack.
TEST(AssetgenWorld, TheIslandMeshCoversItsSquareOnceWithoutCracks)
{
    ModelDescription model = terrain1Model(island());
    ASSERT_EQ(model.objects.size(), 1u);
    const ObjectDescription& o = model.objects[0];
    const size_t vertices = o.vertices.size() / 3, triangles = o.triangles.size() / 3;
    EXPECT_LE(vertices, kModelIndexLimit);
    EXPECT_LE(triangles, kModelIndexLimit);
    EXPECT_GT(triangles, static_cast<size_t>(2 * kTerrain1Cells * kTerrain1Cells)) << "finer than the base grid somewhere";
    std::map<std::pair<uint16_t, uint16_t>, int> edges;
    double area = 0;
    auto x = [&](uint16_t v) { return static_cast<double>(o.vertices[v * 3u]); };
    auto z = [&](uint16_t v) { return static_cast<double>(o.vertices[v * 3u + 2]); };
    for (size_t t = 0; t < triangles; ++t) {
        const uint16_t* v = &o.triangles[t * 3];
        // Counter-clockwise seen from above in engine axes: (b - a) × (c - a) points up.
        double up = (z(v[1]) - z(v[0])) * (x(v[2]) - x(v[0])) - (x(v[1]) - x(v[0])) * (z(v[2]) - z(v[0]));
        ASSERT_GT(up, 0.0) << "triangle " << t << " faces down or is flat";
        area += up / 2;
        for (int k = 0; k < 3; ++k) ++edges[std::minmax(v[k], v[(k + 1) % 3])];
    }
    const double half = kIslandExtent / kModelScale;
    EXPECT_NEAR(area, 4 * half * half, 1e-3 * half * half);
    int open = 0;
    for (const auto& [edge, count] : edges) {
        ASSERT_LE(count, 2);
        if (count == 2) continue;
        bool onBorder = false;
        for (int axis : {0, 2})
            for (double side : {-half, half})
                onBorder |= std::fabs(o.vertices[edge.first * 3u + axis] - side) < 1e-3 &&
                            std::fabs(o.vertices[edge.second * 3u + axis] - side) < 1e-3;
        open += !onBorder;
    }
    EXPECT_EQ(open, 0) << "edges with a triangle on one side only, inside the square";
}

// The grid is halved only over high, steep ground where the flight passes close, nowhere near
// the sea, and finest under the flight's lowest pass over the heights; neighbours at most one
// level apart.
TEST(AssetgenWorld, TheIslandMeshIsFinerOnlyWhereTheGroundIsHighAndSteep)
{
    const std::vector<int> level = terrain1Levels(island());
    const int n = kTerrain1Cells;
    const double step = 2 * kIslandExtent / n;
    ASSERT_EQ(level.size(), static_cast<size_t>(n * n));
    std::array<int, kTerrain1Levels + 1> count{};
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            int l = level[static_cast<size_t>(j) * n + i];
            ASSERT_GE(l, 0);
            ASSERT_LE(l, kTerrain1Levels);
            ++count[static_cast<size_t>(l)];
            if (i + 1 < n) {
                ASSERT_LE(std::abs(l - level[static_cast<size_t>(j) * n + i + 1]), 1);
            }
            if (j + 1 < n) {
                ASSERT_LE(std::abs(l - level[static_cast<size_t>(j + 1) * n + i]), 1);
            }
            double x = -kIslandExtent + (i + 0.5) * step, z = -kIslandExtent + (j + 0.5) * step;
            if (island().sampledHeight(x, z) < 2.0) {
                EXPECT_EQ(l, 0) << "beach or sea at " << x << "," << z;
            }
        }
    EXPECT_GT(count[kTerrain1Levels], 0);
    EXPECT_GT(count[0], n * n * 9 / 10) << "most of the square keeps the base grid";
    // Where the flight passes lowest over high ground, the ground below is at the finest level.
    const std::vector<Waypoint> path = islandFlightPath(island());
    const Waypoint* lowest = nullptr;
    for (const Waypoint& w : path) {
        if (std::fabs(w.x) >= kIslandExtent || std::fabs(w.z) >= kIslandExtent || island().height(w.x, w.z) < kFinestHeight) continue;
        if (!lowest || w.y - island().height(w.x, w.z) < lowest->y - island().height(lowest->x, lowest->z)) lowest = &w;
    }
    ASSERT_NE(lowest, nullptr) << "the flight passes over high ground";
    int i = static_cast<int>((lowest->x + kIslandExtent) / step), j = static_cast<int>((lowest->z + kIslandExtent) / step);
    EXPECT_EQ(level[static_cast<size_t>(j) * n + i], kTerrain1Levels);
}

// Cracks that run and fork leave the stone between them joined up: in the rock detail the
// uncracked pixels form one region (on the tile's torus) but for scraps. Cracks that close into
// rings, as the zero lines of one noise field do, cut the stone into many islands.
namespace {

struct CrackPattern {
    const char* name;
    std::function<double(double, double)> crack;   // 1 on a crack, 0 on whole stone
    bool joinedUp;
};

// Share of the uncracked pixels in the largest 4-connected uncracked region of a wrapping tile.
double largestStoneShare(const std::function<double(double, double)>& crack, int size, double cells, double& crackShare)
{
    std::vector<int> region(static_cast<size_t>(size) * size, -1);
    std::vector<bool> cracked(region.size());
    size_t stone = 0;
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            cracked[static_cast<size_t>(j) * size + i] = crack(i * cells / size, j * cells / size) > 0.5;
            stone += !cracked[static_cast<size_t>(j) * size + i];
        }
    crackShare = 1.0 - static_cast<double>(stone) / region.size();
    size_t largest = 0;
    std::vector<int> stack;
    for (int start = 0; start < size * size; ++start) {
        if (cracked[static_cast<size_t>(start)] || region[static_cast<size_t>(start)] >= 0) continue;
        size_t filled = 0;
        stack = {start};
        region[static_cast<size_t>(start)] = start;
        while (!stack.empty()) {
            int p = stack.back();
            stack.pop_back();
            ++filled;
            int i = p % size, j = p / size;
            for (int q : {j * size + (i + 1) % size, j * size + (i + size - 1) % size, ((j + 1) % size) * size + i,
                          ((j + size - 1) % size) * size + i})
                if (!cracked[static_cast<size_t>(q)] && region[static_cast<size_t>(q)] < 0) {
                    region[static_cast<size_t>(q)] = start;
                    stack.push_back(q);
                }
        }
        largest = std::max(largest, filled);
    }
    return static_cast<double>(largest) / static_cast<double>(stone);
}

} // namespace

TEST(AssetgenWorld, RockCracksRunAndForkInsteadOfClosingIntoRings)
{
    const int cells = 16;
    const uint32_t seed = 1234567;
    const std::vector<CrackPattern> patterns = {
        {"the rock detail's cracks", [&](double u, double v) { return rockCracks(u, v, cells, seed); }, true},
        {"zero lines of one noise field", [&](double u, double v) { return std::pow(1.0 - std::fabs(periodicNoise(u, v, cells, seed)), 12); }, false},
    };
    for (const CrackPattern& p : patterns) {
        double crackShare = 0;
        double share = largestStoneShare(p.crack, 512, cells, crackShare);
        EXPECT_GT(crackShare, 0.01) << p.name << ": there are cracks";
        EXPECT_LT(crackShare, 0.2) << p.name;
        if (p.joinedUp) EXPECT_GT(share, 0.9) << p.name;
        else EXPECT_LT(share, 0.9) << p.name;
    }
}
