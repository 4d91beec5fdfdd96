// The generator's ship, palms and sky drawn by the engine's own model code under Xvfb, lit as
// the scene lights them; each view is written to "model_renders/" for a person to look at, and
// checked for covering the part of the picture it should.
#include "assets/model_3ds.h"
#include "assets/pack.h"
#include "assets/pack_format.h"
#include "tga_writer.h"
#include "base/png_writer.h"
#include "island.h"
#include "model_writer.h"
#include "palm_models.h"
#include "ship_model.h"
#include "sky_model.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <epoxy/gl.h>
#include <GL/glu.h>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSeed = 7;
constexpr int kWidth = 640, kHeight = 400;
// A pale sky behind the models; magenta behind the sky, where any showing pixel is a gap.
const uint8_t kSkyBehind[3] = {150, 185, 225};
const uint8_t kGapColour[3] = {255, 0, 255};

using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

void addModel(Entries& entries, const std::string& name, const ModelDescription& model)
{
    std::string normals = normalsText(model);
    entries.push_back({name, encode3DS(model)});
    entries.push_back({"n" + name, std::vector<uint8_t>(normals.begin(), normals.end())});
}

class ModelRenderTest : public ::testing::Test {
protected:
    static TestGlContext* gl;
    static TempFolder* packDir;
    static ResourcePack* pack;
    static const uint8_t* clear;
    static void SetUpTestSuite()
    {
        gl = new TestGlContext(kWidth, kHeight);
        setenv("ZERO_MESSAGES", "stderr", 1);
        fs::create_directories("model_renders");
        packDir = new TempFolder("models");
        const Island& island = islandFor(kSeed);
        Entries entries;
        addModel(entries, "ship.3ds", makeShipModel(kSeed));
        addModel(entries, "palm1_stv.3ds", makePalmTrunks(island));
        addModel(entries, "palm1_lst.3ds", makePalmLeaves(island));
        addModel(entries, "sky.3ds", makeSkyModel());
        Picture bark = makeBarkTexture(kSeed), leaf = makeLeafTexture(kSeed), sky = makeSkyTexture(kSeed);
        entries.push_back({"palmbark.jpg", encodePictureJpeg(bark)});
        entries.push_back({"palmleaf.tga", encodePictureTga(leaf)});
        entries.push_back({"sky.jpg", encodePictureJpeg(sky)});
        Picture hull = makeShipHullTexture(kSeed), deck = makeShipDeckTexture(kSeed);
        entries.push_back({"shiphull.jpg", encodePictureJpeg(hull)});
        entries.push_back({"shipdeck.jpg", encodePictureJpeg(deck)});
        writePicturePng("model_renders/shiphull.png", hull);
        writePicturePng("model_renders/shipdeck.png", deck);
        writePicturePng("model_renders/palmbark.png", bark);
        writePicturePng("model_renders/sky_texture.png", sky);
        // The leaf over grey, so its cut-out shows.
        Picture shown(leaf.width, leaf.height, 3);
        for (int y = 0; y < leaf.height; ++y)
            for (int x = 0; x < leaf.width; ++x)
                for (int k = 0; k < 3; ++k) shown.at(x, y)[k] = leaf.at(x, y)[k] * leaf.at(x, y)[3] + 0.5f * (1 - leaf.at(x, y)[3]);
        writePicturePng("model_renders/palmleaf.png", shown);
        writeFile((*packDir / "data.res").string(), buildPack(entries));
        pack = new ResourcePack;
        pack->open((*packDir / "data.res").c_str());
    }
    static void TearDownTestSuite()
    {
        pack->close();
        delete pack;
        delete packDir;
        delete gl;
    }
    void SetUp() override
    {
        ASSERT_TRUE(gl->ok()) << "no OpenGL context (is DISPLAY set?)";
        ASSERT_TRUE(gl->bindFramebuffer());
        glViewport(0, 0, kWidth, kHeight);
        background(kSkyBehind);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    void TearDown() override { while (glGetError() != GL_NO_ERROR) {} }

    static void background(const uint8_t* colour)
    {
        clear = colour;
        glClearColor(colour[0] / 255.0f, colour[1] / 255.0f, colour[2] / 255.0f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static void camera(double fov, Vec3 eye, Vec3 at, double farPlane = 3000)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fov, static_cast<double>(kWidth) / kHeight, 0.5, farPlane);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, 0, 1, 0);
    }
    // The scene's sun: low, from the direction of (-400, 10, -300), with a soft sky fill.
    static void sunlight(bool on)
    {
        if (!on) {
            glDisable(GL_LIGHTING);
            glColor3f(1, 1, 1);
            return;
        }
        const float direction[4] = {-0.62f, 0.45f, -0.47f, 0.0f};
        const float diffuse[4] = {0.95f, 0.9f, 0.8f, 1}, ambient[4] = {0.45f, 0.48f, 0.55f, 1};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
        const float white[4] = {1, 1, 1, 1}, none[4] = {0, 0, 0, 1};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
        glEnable(GL_LIGHT0);
        glEnable(GL_LIGHTING);
    }
    // A flat unlit sea at height y, for seeing where a model meets the water.
    static void sea(double y, double extent)
    {
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glColor3f(0.16f, 0.36f, 0.46f);
        glBegin(GL_QUADS);
        glVertex3d(-extent, y, -extent);
        glVertex3d(-extent, y, extent);
        glVertex3d(extent, y, extent);
        glVertex3d(extent, y, -extent);
        glEnd();
        glColor3f(1, 1, 1);
    }
    // Writes the view and returns the share of pixels that are not the clear colour.
    static double save(const std::string& name)
    {
        std::vector<uint8_t> rgb = gl->readRgb();
        EXPECT_TRUE(writePngRgb("model_renders/" + name + ".png", rgb.data(), kWidth, kHeight));
        return covered();
    }
    static double covered()
    {
        std::vector<uint8_t> rgb = gl->readRgb();
        size_t covered = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            if (std::abs(rgb[i] - clear[0]) + std::abs(rgb[i + 1] - clear[1]) + std::abs(rgb[i + 2] - clear[2]) > 6) ++covered;
        return static_cast<double>(covered) / (kWidth * kHeight);
    }
    static std::array<int, 3> pixel(const std::vector<uint8_t>& rgb, int x, int y)
    {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
        return {p[0], p[1], p[2]};
    }
};
TestGlContext* ModelRenderTest::gl = nullptr;
TempFolder* ModelRenderTest::packDir = nullptr;
ResourcePack* ModelRenderTest::pack = nullptr;
const uint8_t* ModelRenderTest::clear = kSkyBehind;

}

TEST_F(ModelRenderTest, ShipFromSeveralSides)
{
    Model_3DS ship;
    testing::internal::CaptureStderr();
    ship.loadFromPack(*pack, "ship.3ds");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    struct View {
        const char* name;
        Vec3 eye, at;
        double least;   // share of the view the ship alone covers at least
    };
    const View views[] = {
        {"ship_side", {75, 12, 0}, {0, 14, 0}, 0.15},
        {"ship_bow", {45, 16, -55}, {0, 14, 0}, 0.15},
        {"ship_stern", {-40, 30, 55}, {0, 12, 0}, 0.15},
        {"ship_low", {-30, 3.5, -30}, {0, 10, 0}, 0.4},
        {"ship_ahead", {10, 9, -85}, {0, 12, 0}, 0.04},
        {"ship_far", {260, 40, 150}, {0, 12, 0}, 0.005},
    };
    for (const View& v : views) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera(50, v.eye, v.at);
        sea(kShipWaterline, 400);
        sunlight(true);
        ship.draw(true);
        sunlight(false);
        save(v.name);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        sunlight(true);
        ship.draw(true);
        sunlight(false);
        EXPECT_GT(covered(), v.least) << v.name;
    }
    // Where the engine places it: the waterline sits on the sea at y = 0.
    ship.position[1] = -2.0f, ship.position[2] = -500.0f;
    ship.rotation[0] = -2.0f, ship.rotation[1] = 30.0f;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera(50, {70, 6, -430}, {0, 8, -500});
    sea(0.0, 3000);
    sunlight(true);
    ship.draw(true);
    sunlight(false);
    save("ship_in_scene");
    ship.position[1] = ship.position[2] = 0.0f;
    ship.rotation[0] = ship.rotation[1] = 0.0f;

    // Seen from the side above the sea, the hull rises out of the water at the middle of the view.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera(50, {75, kShipWaterline, 0}, {0, kShipWaterline, 0});
    sunlight(true);
    ship.draw(true);
    std::vector<uint8_t> rgb = gl->readRgb();
    EXPECT_NE(pixel(rgb, kWidth / 2, kHeight / 2 - 20), (std::array<int, 3>{kSkyBehind[0], kSkyBehind[1], kSkyBehind[2]}));
    sunlight(false);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelRenderTest, PalmsAtTheirPlaces)
{
    Model_3DS trunks, leaves;
    testing::internal::CaptureStderr();
    trunks.loadFromPack(*pack, "palm1_stv.3ds");
    leaves.loadFromPack(*pack, "palm1_lst.3ds");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const Island& island = islandFor(kSeed);
    ASSERT_FALSE(island.palms().empty());
    const Palm& palm = island.palms().front();
    // In world units, as the engine places them.
    for (Model_3DS* m : {&trunks, &leaves}) {
        m->scale = static_cast<float>(kModelScale);
        m->position[1] = static_cast<float>(kPalmOffsetY);
    }
    Vec3 crown = palmCrown(palm);
    Vec3 seaward = normalized(Vec3{palm.x, 0, palm.z});
    struct View {
        const char* name;
        Vec3 eye, at;
    };
    const View views[] = {
        {"palm_near", Vec3{palm.x, palm.baseY, palm.z} + seaward * 20 + Vec3{0, 6, 0}, Vec3{palm.x, palm.baseY + palm.height * 0.6, palm.z}},
        {"palm_above", crown + seaward * 10 + Vec3{0, 14, 0}, crown},
        {"palm_beach", Vec3{palm.x, 0, palm.z} + seaward * 90 + Vec3{0, 12, 0}, Vec3{palm.x, palm.baseY + 8, palm.z}},
    };
    for (const View& v : views) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        camera(55, v.eye, v.at);
        sea(0.0, 3000);
        sunlight(true);
        trunks.draw(true);
        leaves.drawBlended(true, true, static_cast<float>(-v.eye.x), static_cast<float>(-v.eye.y), static_cast<float>(-v.eye.z));
        sunlight(false);
        EXPECT_GT(save(v.name), 0.3) << v.name;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ModelRenderTest, SkyFromInsideMeetsTheSea)
{
    Model_3DS sky;
    testing::internal::CaptureStderr();
    sky.loadFromPack(*pack, "sky.3ds");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    sky.scale = 30.0f;
    sky.position[1] = -20.0f;
    struct View {
        const char* name;
        Vec3 eye, at;
    };
    const View views[] = {
        {"sky_sunward", {0, 30, 0}, {-400, 60, -300}},
        {"sky_away", {0, 30, 0}, {400, 80, 300}},
        {"sky_up", {0, 30, 0}, {-100, 400, -75}},
        {"sky_edge_of_path", {500, 120, 300}, {1500, 100, 900}},
    };
    for (const View& v : views) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        background(kGapColour);
        camera(90, v.eye, v.at);
        sunlight(false);
        glDepthMask(GL_FALSE);
        sky.draw(true);
        glDepthMask(GL_TRUE);
        sea(0.0, 3000);
        double covered = save(v.name);
        EXPECT_GT(covered, 0.999) << v.name << ": no clear colour anywhere in the view";
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
