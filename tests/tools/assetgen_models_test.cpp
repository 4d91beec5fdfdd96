// The generator's ship, palm and sky models: budgets, placement, winding, the reader's view
// of them, and the same bytes from the same seed.
#include "assets/model_3ds.h"
#include "island.h"
#include "model_writer.h"
#include "palm_models.h"
#include "ship_model.h"
#include "sky_model.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

namespace {

constexpr uint64_t kSeed = 7;

size_t triangles(const ModelDescription& model)
{
    size_t n = 0;
    for (const ObjectDescription& o : model.objects) n += o.triangles.size() / 3;
    return n;
}

Vec3 vertexAt(const ObjectDescription& o, size_t i) { return {o.vertices[i * 3], o.vertices[i * 3 + 1], o.vertices[i * 3 + 2]}; }

Vec3 faceNormal(const ObjectDescription& o, size_t t)
{
    Vec3 a = vertexAt(o, o.triangles[t * 3]), b = vertexAt(o, o.triangles[t * 3 + 1]), c = vertexAt(o, o.triangles[t * 3 + 2]);
    return cross(b - a, c - a);
}

// Every object: within 16-bit indices, every triangle in exactly one group of a known material,
// texture coordinates for every vertex, normals (when given) unit and one per vertex.
void expectWellFormed(const ModelDescription& model)
{
    std::set<std::string> materials;
    for (const MaterialDescription& m : model.materials) materials.insert(m.name);
    for (const ObjectDescription& o : model.objects) {
        SCOPED_TRACE(o.name);
        size_t vertices = o.vertices.size() / 3;
        EXPECT_LE(vertices, 65535u);
        EXPECT_GT(vertices, 0u);
        EXPECT_EQ(o.texCoords.size(), vertices * 2);
        std::vector<int> grouped(o.triangles.size() / 3, 0);
        for (const MaterialGroupDescription& g : o.groups) {
            EXPECT_TRUE(materials.count(g.material)) << g.material;
            for (uint16_t t : g.triangles) ++grouped.at(t);
        }
        EXPECT_TRUE(std::all_of(grouped.begin(), grouped.end(), [](int n) { return n == 1; }));
        for (uint16_t index : o.triangles) EXPECT_LT(index, vertices);
        if (!o.normals.empty()) {
            ASSERT_EQ(o.normals.size(), o.vertices.size());
            for (size_t i = 0; i < vertices; ++i)
                EXPECT_NEAR(length(Vec3{o.normals[i * 3], o.normals[i * 3 + 1], o.normals[i * 3 + 2]}), 1.0, 1e-4);
        }
    }
}

// What the engine reads back from the encoded model and its normals file, with no message.
void expectReaderAgrees(const ModelDescription& model)
{
    std::vector<uint8_t> file = encode3DS(model);
    std::string normals = normalsText(model);
    setenv("ZERO_MESSAGES", "stderr", 1);
    testing::internal::CaptureStderr();
    Model_3DS read;
    read.readModel(file.data(), file.size());
    int filled = read.readNormals(normals.data(), normals.size());
    read.finishLoad();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "");
    ASSERT_EQ(read.numObjects, static_cast<int>(model.objects.size()));
    EXPECT_EQ(read.numMaterials, static_cast<int>(model.materials.size()));
    size_t vertices = 0;
    for (size_t i = 0; i < model.objects.size(); ++i) {
        EXPECT_EQ(read.objects[i].numVertices * 3, static_cast<int>(model.objects[i].vertices.size()));
        EXPECT_EQ(read.objects[i].numFaceIndices, static_cast<int>(model.objects[i].triangles.size()));
        EXPECT_EQ(read.objects[i].numMaterialGroups, static_cast<int>(model.objects[i].groups.size()));
        for (size_t k = 0; k < 3; ++k)
            EXPECT_NEAR(read.objects[i].vertices[k], model.objects[i].vertices[k], 1e-4) << "axes come back as given";
        vertices += model.objects[i].vertices.size() / 3;
    }
    EXPECT_EQ(filled, static_cast<int>(vertices));
}

const Island& island() { return islandFor(kSeed); }

}

TEST(ShipModel, FitsItsBudgetAndReadsBack)
{
    ModelDescription ship = makeShipModel(kSeed);
    EXPECT_LE(triangles(ship), static_cast<size_t>(kShipTriangleBudget));
    EXPECT_GT(triangles(ship), 1500u) << "hull, spars, sails and lines are all there";
    expectWellFormed(ship);
    expectReaderAgrees(ship);
}

TEST(ShipModel, LengthDraftAndWaterline)
{
    ModelDescription ship = makeShipModel(kSeed);
    double lowZ = 1e9, highZ = -1e9, lowY = 1e9, highY = -1e9;
    for (const ObjectDescription& o : ship.objects)
        for (size_t i = 0; i < o.vertices.size() / 3; ++i) {
            Vec3 p = vertexAt(o, i);
            lowZ = std::min(lowZ, p.z), highZ = std::max(highZ, p.z);
            lowY = std::min(lowY, p.y), highY = std::max(highY, p.y);
        }
    EXPECT_GE(highZ - lowZ, 40.0);
    EXPECT_LE(highZ - lowZ, 60.0);
    EXPECT_NEAR(lowY, kShipKeel, 0.01) << "the keel is the lowest point";
    EXPECT_GT(highY, 35.0) << "masts stand well above the deck";

    // The hull's outline at the waterline is its widest part below: at the waterline the hull
    // is most of its beam wide, and only the keel's line lies below about y = -4.
    const ObjectDescription& hull = ship.objects.front();
    double widthAtWaterline = 0, widthBelow = 0;
    for (size_t i = 0; i < hull.vertices.size() / 3; ++i) {
        Vec3 p = vertexAt(hull, i);
        if (std::abs(p.y - kShipWaterline) < 1e-6) widthAtWaterline = std::max(widthAtWaterline, std::abs(p.x));
        if (p.y < kShipWaterline - 1e-6) widthBelow = std::max(widthBelow, std::abs(p.x));
    }
    EXPECT_GT(widthAtWaterline, 5.0);
    EXPECT_LE(widthBelow, widthAtWaterline);
}

TEST(ShipModel, HullFacesOutward)
{
    ModelDescription ship = makeShipModel(kSeed);
    const ObjectDescription& hull = ship.objects.front();
    // Every side face of the outer planking looks away from the centre line.
    size_t checked = 0, wrong = 0;
    for (const MaterialGroupDescription& g : hull.groups) {
        if (g.material != "hull") continue;
        for (uint16_t t : g.triangles) {
            Vec3 n = faceNormal(hull, t);
            if (length(n) < 1e-6) continue;
            Vec3 c = vertexAt(hull, hull.triangles[t * 3]);
            if (std::abs(c.x) < 0.2 || std::abs(c.z) > 22.5) continue;   // the stem and transom edges
            ++checked;
            if (n.x * c.x < 0) ++wrong;
        }
    }
    EXPECT_GT(checked, 200u);
    EXPECT_EQ(wrong, 0u);
}

TEST(ShipModel, NamedTexturesAreMadeAndPaintTheStripe)
{
    ModelDescription ship = makeShipModel(kSeed);
    std::set<std::string> maps;
    for (const MaterialDescription& m : ship.materials)
        if (!m.map.empty()) maps.insert(m.map);
    EXPECT_EQ(maps, (std::set<std::string>{"shiphull.jpg", "shipdeck.jpg"}));
    Picture hull = makeShipHullTexture(kSeed), deck = makeShipDeckTexture(kSeed);
    EXPECT_EQ(hull.width, 256);
    EXPECT_EQ(hull.height, 512);
    EXPECT_EQ(deck.width, 256);
    // The hull's vertices map heights onto the picture: the stripe's height is ochre there,
    // just above it the hull is dark.
    const ObjectDescription& o = ship.objects.front();
    auto vAt = [&](double y) {
        for (size_t i = 0; i < o.vertices.size() / 3; ++i)
            if (std::abs(o.vertices[i * 3 + 1] - y) < 1e-4) return static_cast<double>(o.texCoords[i * 2 + 1]);
        ADD_FAILURE() << "no hull vertex at height " << y;
        return 0.0;
    };
    auto paint = [&](double v) {
        int row = std::clamp(static_cast<int>((1.0 - v) * hull.height), 0, hull.height - 1);
        return Vec3{hull.at(10, row)[0], hull.at(10, row)[1], hull.at(10, row)[2]};
    };
    // Rows of the hull lie at the stripe's edges (4.1, 4.9) and at 2 and 3 above the keel.
    Vec3 stripe = paint(0.5 * (vAt(4.1) + vAt(4.9))), above = paint(0.5 * (vAt(2.0) + vAt(3.0)) + 0.01);
    EXPECT_GT(stripe.x, 0.4) << "ochre at the stripe's lower edge";
    EXPECT_LT(above.x, 0.3) << "dark between the waterline and the stripe";
}

TEST(PalmModels, TrunksStandOnTheirFeetWithinBudget)
{
    ModelDescription trunks = makePalmTrunks(island());
    EXPECT_LE(triangles(trunks), static_cast<size_t>(kPalmTrunkTriangleBudget));
    expectWellFormed(trunks);
    expectReaderAgrees(trunks);
    ASSERT_EQ(trunks.materials.size(), 2u);
    EXPECT_EQ(trunks.materials[0].map, "palmbark.jpg");

    // Each palm's foot (converted to world) has trunk vertices around it, reaching below the ground.
    const ObjectDescription& o = trunks.objects[0];
    for (const Palm& palm : island().palms()) {
        double lowest = 1e9, topmost = -1e9;
        for (size_t i = 0; i < o.vertices.size() / 3; ++i) {
            Vec3 world = vertexAt(o, i) * kModelScale + Vec3{0, kPalmOffsetY, 0};
            if (std::hypot(world.x - palm.x, world.z - palm.z) < 1.2) lowest = std::min(lowest, world.y);
            Vec3 crown = palmCrown(palm);
            if (std::hypot(world.x - crown.x, world.z - crown.z) < 1.0) topmost = std::max(topmost, world.y);
        }
        EXPECT_LT(lowest, palm.baseY) << "palm at " << palm.x << ", " << palm.z;
        EXPECT_GT(lowest, palm.baseY - 1.5);
        EXPECT_NEAR(topmost, palmCrown(palm).y, 0.5);
    }
}

TEST(PalmModels, OneLeafObjectPerCrownStartingAtTheCrown)
{
    const std::vector<Palm>& palms = island().palms();
    ASSERT_GE(palms.size(), 25u);
    ModelDescription leaves = makePalmLeaves(island());
    EXPECT_LE(triangles(leaves), static_cast<size_t>(kPalmLeafTriangleBudget));
    expectWellFormed(leaves);
    expectReaderAgrees(leaves);
    ASSERT_EQ(leaves.objects.size(), palms.size());
    EXPECT_EQ(leaves.materials.at(0).map, "palmleaf.tga");
    for (size_t p = 0; p < palms.size(); ++p) {
        const ObjectDescription& o = leaves.objects[p];
        Vec3 crown = palmModelPoint(palmCrown(palms[p]));
        Vec3 first = vertexAt(o, 0);
        EXPECT_NEAR(first.x, crown.x, 1e-4);
        EXPECT_NEAR(first.y, crown.y, 1e-4);
        EXPECT_NEAR(first.z, crown.z, 1e-4);
        // Fronds: both windings of every strip, each face's winding agreeing with its normals.
        size_t n = o.triangles.size() / 3;
        EXPECT_EQ(n % 2, 0u);
        size_t up = 0;
        for (size_t t = 0; t < n; ++t) {
            Vec3 face = faceNormal(o, t);
            uint16_t v = o.triangles[t * 3 + 1];
            Vec3 given{o.normals[v * 3], o.normals[v * 3 + 1], o.normals[v * 3 + 2]};
            EXPECT_GT(dot(face, given), 0) << "triangle " << t << " of crown " << p;
            if (face.y > 0) ++up;
        }
        EXPECT_EQ(up * 2, n) << "half the faces look up, half down";
        int fronds = static_cast<int>(std::count(o.triangles.begin(), o.triangles.end(), 0)) / 2;
        EXPECT_GE(fronds, 6);
        EXPECT_LE(fronds, 9);
    }
}

TEST(SkyModel, DomeOfTheRightSizeFacingInward)
{
    ModelDescription sky = makeSkyModel();
    EXPECT_LE(triangles(sky), 2000u);
    expectWellFormed(sky);
    expectReaderAgrees(sky);
    const ObjectDescription& o = sky.objects.at(0);
    double lowest = 1e9;
    for (size_t i = 0; i < o.vertices.size() / 3; ++i) {
        Vec3 p = vertexAt(o, i);
        EXPECT_NEAR(length(p), kSkyRadius, 1e-3);
        lowest = std::min(lowest, p.y);
        Vec3 n{o.normals[i * 3], o.normals[i * 3 + 1], o.normals[i * 3 + 2]};
        EXPECT_LT(dot(n, p), 0) << "normals point inward";
    }
    EXPECT_NEAR(lowest, kSkyRadius * std::sin(kSkySkirtDegrees * 3.14159265358979 / 180.0), 1e-3);
    for (size_t t = 0; t < o.triangles.size() / 3; ++t) {
        Vec3 centre = (vertexAt(o, o.triangles[t * 3]) + vertexAt(o, o.triangles[t * 3 + 1]) + vertexAt(o, o.triangles[t * 3 + 2])) * (1.0 / 3);
        EXPECT_LT(dot(faceNormal(o, t), centre), 0) << "triangle " << t << " faces the inside";
    }
    // Drawn at scale 30 it stays inside the far plane from anywhere within 600 of the centre.
    EXPECT_LT(kSkyRadius * 30 + 600, 3000);
}

TEST(SkyModel, TextureRunsFromZenithBlueToAHazyHorizonWithTheSunsGlow)
{
    Picture sky = makeSkyTexture(kSeed);
    ASSERT_EQ(sky.width, kSkyTextureSize);
    ASSERT_EQ(sky.height, kSkyTextureSize);
    auto sample = [&](double elevation, double dx, double dz) {
        double u, v;
        skyTexCoord(elevation, dx, dz, u, v);
        int x = std::clamp(static_cast<int>(u * sky.width), 0, sky.width - 1);
        int y = std::clamp(static_cast<int>((1.0 - v) * sky.height), 0, sky.height - 1);
        const float* p = sky.at(x, y);
        return Vec3{p[0], p[1], p[2]};
    };
    Vec3 zenith = sample(90, 1, 0);
    EXPECT_GT(zenith.z, zenith.x + 0.2) << "blue overhead";
    // Away from the sun, low down: paler than the zenith (haze).
    Vec3 horizon = sample(1, 0.8, 0.6);
    EXPECT_GT(horizon.x + horizon.y + horizon.z, zenith.x + zenith.y + zenith.z);
    // Toward the sun the low sky is warmer than on the opposite side.
    Vec3 sunward = sample(kSunElevationDegrees + 1, -0.8, -0.6), away = sample(kSunElevationDegrees + 1, 0.8, 0.6);
    EXPECT_GT(sunward.x - sunward.z, away.x - away.z);
    // Below the horizon the skirt is the same grey-blue all round.
    Vec3 a = sample(-10, 1, 0), b = sample(-10, 0, -1);
    EXPECT_NEAR(a.x, b.x, 0.02);
    EXPECT_NEAR(a.z, b.z, 0.02);
}

TEST(PalmModels, LeafTextureCutsOutLeafletsAlongAMidrib)
{
    Picture leaf = makeLeafTexture(kSeed);
    ASSERT_EQ(leaf.channels, 4);
    EXPECT_EQ(leaf.width, 512);
    EXPECT_EQ(leaf.height, 256);
    size_t opaque = 0, clear = 0;
    for (int y = 0; y < leaf.height; ++y)
        for (int x = 0; x < leaf.width; ++x) {
            float a = leaf.at(x, y)[3];
            opaque += a > 0.9f, clear += a < 0.1f;
        }
    double share = static_cast<double>(opaque) / (leaf.width * leaf.height);
    EXPECT_GT(share, 0.25);
    EXPECT_LT(share, 0.75);
    EXPECT_GT(clear, leaf.values.size() / 4 / 5);
    // The midrib is solid along the middle row from near the stalk to near the tip.
    for (int x = 8; x < leaf.width * 9 / 10; x += 8) EXPECT_GT(leaf.at(x, leaf.height / 2)[3], 0.9f) << x;
    // The edges at the stalk are clear.
    EXPECT_LT(leaf.at(4, 2)[3], 0.1f);
    EXPECT_LT(leaf.at(4, leaf.height - 3)[3], 0.1f);
}

TEST(Models, TheSameSeedGivesTheSameBytes)
{
    EXPECT_EQ(encode3DS(makeShipModel(kSeed)), encode3DS(makeShipModel(kSeed)));
    EXPECT_EQ(normalsText(makeShipModel(kSeed)), normalsText(makeShipModel(kSeed)));
    EXPECT_EQ(encode3DS(makePalmLeaves(island())), encode3DS(makePalmLeaves(island())));
    EXPECT_EQ(encode3DS(makePalmTrunks(island())), encode3DS(makePalmTrunks(island())));
    EXPECT_EQ(encode3DS(makeSkyModel()), encode3DS(makeSkyModel()));
    EXPECT_EQ(encodePictureJpeg(makeSkyTexture(kSeed)), encodePictureJpeg(makeSkyTexture(kSeed)));
    EXPECT_EQ(encodePictureTga(makeLeafTexture(kSeed)), encodePictureTga(makeLeafTexture(kSeed)));
    EXPECT_EQ(encodePictureJpeg(makeBarkTexture(kSeed)), encodePictureJpeg(makeBarkTexture(kSeed)));
    EXPECT_EQ(encodePictureJpeg(makeShipHullTexture(kSeed)), encodePictureJpeg(makeShipHullTexture(kSeed)));
    EXPECT_EQ(encodePictureJpeg(makeShipDeckTexture(kSeed)), encodePictureJpeg(makeShipDeckTexture(kSeed)));
    EXPECT_NE(encodePictureJpeg(makeSkyTexture(kSeed)), encodePictureJpeg(makeSkyTexture(kSeed + 1)));
}
