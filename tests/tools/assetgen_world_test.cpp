// The generated island world as the engine will meet it: models read back by the engine's own
// reader within their budgets, normals files that match, textures of power-of-two sides within
// the memory budget, terrains that meet without a visible edge, palms on the ground, and a
// camera flight that keeps its clearances.
#include "asset_catalogue.h"
#include "assets/jpeg.h"
#include "assets/model_3ds.h"
#include "assets/tga.h"
#include "flight_path.h"
#include "island.h"
#include "terrain_assets.h"
#include "world_assets.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    EXPECT_LE(a.triangles, 30000u);
    EXPECT_LE(b.triangles, 10000u);
    EXPECT_LE(a.largestObject, 65535u);
    EXPECT_LE(b.largestObject, 65535u);
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
