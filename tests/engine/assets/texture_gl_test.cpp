// Textures and model drawing with a real OpenGL context (under Xvfb): formats, mipmaps,
// upload alignment, the GL state each draw leaves, the blended sort frames, a drawn picture,
// and a model loaded from a pack with its texture and normals.
#include "assets/model_3ds.h"
#include "assets/pack.h"
#include "assets/texture.h"
#include "base/frame_timer.h"
#include "base/png_writer.h"
#include "model_writer.h"
#include "support/gl_context.h"
#include "tga_writer.h"
#include "jpeg_writer.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <epoxy/gl.h>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

class GlTest : public ::testing::Test {
protected:
    static TestGlContext* gl;
    static void SetUpTestSuite() { gl = new TestGlContext(64, 64); }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }
    fs::path oldDir = fs::current_path();
    TempFolder dir{"gl"};
    void SetUp() override
    {
        ASSERT_TRUE(gl->ok()) << "no OpenGL context (is DISPLAY set?)";
        setenv("ZERO_MESSAGES", "stderr", 1);
        fs::current_path(dir.path());
    }
    void TearDown() override
    {
        fs::current_path(oldDir);
        while (glGetError() != GL_NO_ERROR) {}
    }
};
TestGlContext* GlTest::gl = nullptr;

static GLint levelParameter(int level, GLenum what)
{
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, what, &value);
    return value;
}

static GLint texParameter(GLenum what)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

TEST_F(GlTest, TgaTexturesKeepTheirComponentsAndGetMipmaps)
{
    ASSERT_TRUE(writeFile("rgba.tga", encodeTGA(std::vector<uint8_t>(8 * 8 * 4, 200), 8, 8, 4)));
    ASSERT_TRUE(writeFile("rgb.TGA", encodeTGA(std::vector<uint8_t>(8 * 8 * 3, 100), 8, 8, 3, true)));
    TextureName rgba = 0, rgb = 0;
    loadTexture("rgba.tga", rgba);
    ASSERT_NE(rgba, 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<TextureName>(bound), rgba) << "the new texture stays bound";
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE) > 0, true);
    EXPECT_EQ(levelParameter(3, GL_TEXTURE_WIDTH), 1) << "full mipmap chain";
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(texParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);

    loadTexture("rgb.TGA", rgb);
    ASSERT_NE(rgb, 0u);
    EXPECT_NE(rgb, rgba);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_GT(levelParameter(0, GL_TEXTURE_RED_SIZE), 0);
}

TEST_F(GlTest, NarrowRgbPicturesUploadUnskewedAndTheAlignmentIsRestored)
{
    // 2 × 4 (rows of 6 bytes) and 3 × 4 (resampled) RGB, each row one colour: a skewed upload
    // would mix colours within rows, a bad resample would lose the top row.
    const uint8_t rows[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}};
    for (int width : {2, 3}) {
        std::vector<uint8_t> topFirst, bottomFirst;
        for (int y = 3; y >= 0; --y)
            for (int x = 0; x < width; ++x) topFirst.insert(topFirst.end(), rows[y], rows[y] + 3);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < width; ++x) bottomFirst.insert(bottomFirst.end(), rows[y], rows[y] + 3);
        ASSERT_TRUE(writeFile("narrow.jpg", encodeJPEG(topFirst, width, 4, 3, 100)));
        ASSERT_TRUE(writeFile("narrow.tga", encodeTGA(bottomFirst, width, 4, 3)));

        for (const char* name : {"narrow.tga", "narrow.jpg"}) {
            TextureName texture = 0;
            loadTexture(name, texture);
            ASSERT_NE(texture, 0u) << name;
            GLint alignment = 0;
            glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
            EXPECT_EQ(alignment, 4) << name;
            int w = levelParameter(0, GL_TEXTURE_WIDTH), h = levelParameter(0, GL_TEXTURE_HEIGHT);
            EXPECT_EQ(w, width == 3 ? 4 : 2);
            ASSERT_EQ(h, 4) << name;
            std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    for (int k = 0; k < 3; ++k)
                        EXPECT_NEAR(pixels[(y * w + x) * 3 + k], rows[y][k], 40)
                            << name << " width " << width << " row " << y << " x " << x;
        }
    }
}

TEST_F(GlTest, ColourAndRenderTextures)
{
    TextureName colour = 0, render = 0;
    createColourTexture(10, 130, 250, colour);
    ASSERT_NE(colour, 0u);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 2);
    uint8_t pixels[12] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(pixels[p * 3 + 0], 10);
        EXPECT_EQ(pixels[p * 3 + 1], 130);
        EXPECT_EQ(pixels[p * 3 + 2], 250);
    }
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);

    createRenderTexture(1024, 512, render);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(levelParameter(0, GL_TEXTURE_HEIGHT), 512);
    EXPECT_EQ(texParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A unit square facing +z at z = 0 (engine axes) in one material group per object.
static ModelDescription squares(const std::vector<std::array<float, 3>>& corners)
{
    ModelDescription d;
    d.materials = {{"red", {255, 0, 0}, ""}, {"green", {0, 255, 0}, ""}};
    for (size_t i = 0; i < corners.size(); ++i) {
        ObjectDescription o;
        o.name = "sq" + std::to_string(i);
        float x = corners[i][0], y = corners[i][1], z = corners[i][2];
        o.vertices = {x, y, z, x + 1, y, z, x + 1, y + 1, z, x, y + 1, z};
        o.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
        o.triangles = {0, 1, 2, 0, 2, 3};
        o.groups = {{i % 2 ? "green" : "red", {0, 1}}};
        d.objects.push_back(o);
    }
    return d;
}

// Loads a described model through a pack, as the engine does.
static void loadThroughPack(Model_3DS& model, ResourcePack& pack, const ModelDescription& d,
                            std::vector<std::pair<std::string, std::vector<uint8_t>>> extra = {})
{
    std::string text = normalsText(d);
    extra.push_back({"m.3ds", encode3DS(d)});
    extra.push_back({"nm.3ds", std::vector<uint8_t>(text.begin(), text.end())});
    ASSERT_TRUE(writeFile("data.res", buildPack(extra)));
    pack.open("data.res");
    model.loadFromPack(pack, "m.3ds");
}

static std::array<float, 16> modelview()
{
    std::array<float, 16> m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

TEST_F(GlTest, DrawsLeaveTheStateTheSceneExpects)
{
    ResourcePack pack;
    Model_3DS model;
    loadThroughPack(model, pack, squares({{0, 0, 0}, {2, 0, 0}}));
    ASSERT_EQ(model.numObjects, 2);
    EXPECT_TRUE(model.materials[0].textured) << "a colour texture for a material without a map";
    EXPECT_NE(model.materials[0].texture, 0u);
    EXPECT_FLOAT_EQ(model.objects[0].normals[2], 1.0f) << "normals from the normals file";

    model.position[1] = 3.0f;
    model.rotation[1] = 30.0f;
    model.scale = 2.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, -3);
    std::array<float, 16> before = modelview();
    glEnable(GL_BLEND);   // the opaque draw does not touch blending; the blended one leaves it off
    model.draw(true);
    EXPECT_EQ(modelview(), before);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<TextureName>(bound), model.materials[1].texture) << "the last group's material";

    model.drawBlended(true, true, 0, 0, 0);
    EXPECT_EQ(modelview(), before);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    pack.close();
}

TEST_F(GlTest, DrawWithoutBindingKeepsTheCallersTexturesOnEveryUnit)
{
    ResourcePack pack;
    Model_3DS model;
    loadThroughPack(model, pack, squares({{0, 0, 0}}));
    GLuint mine[4];
    glGenTextures(4, mine);
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glBindTexture(GL_TEXTURE_2D, mine[unit]);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    model.draw(false);
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), mine[unit]) << "unit " << unit;
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    pack.close();
}

// The scene asks for the sort on the frame timer's sort frames (isSortFrame): 0 and 30.
TEST_F(GlTest, BlendedDrawSortsOnTheSortFramesOnly)
{
    ResourcePack pack;
    Model_3DS model;
    loadThroughPack(model, pack, squares({{-10, 0, 0}, {10, 0, 0}, {0, 0, 0}}));
    FrameTimer timer;

    timer.frameCounter = 0;
    model.drawBlended(true, isSortFrame(timer.frameCounter), -20, 0, 0);   // viewpoint (20, 0, 0): object 0 is farthest
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{0, 2, 1}));

    timer.frameCounter = 1;
    model.drawBlended(true, isSortFrame(timer.frameCounter), 20, 0, 0);    // viewpoint (-20, 0, 0) would reverse it
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{0, 2, 1}));
    timer.frameCounter = 30;
    model.drawBlended(true, false, 20, 0, 0);   // no sort requested
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{0, 2, 1}));
    model.drawBlended(true, isSortFrame(timer.frameCounter), 20, 0, 0);
    EXPECT_EQ(model.drawOrder, (std::vector<int32_t>{1, 2, 0}));
    pack.close();
}

TEST_F(GlTest, DrawnModelAppearsWhereItsTransformPutsIt)
{
    ResourcePack pack;
    Model_3DS model;
    loadThroughPack(model, pack, squares({{-0.5f, -0.5f, 0}}));
    ASSERT_TRUE(gl->bindFramebuffer());
    glClearColor(0, 0, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glColor3f(1, 1, 1);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    model.position[0] = 1.0f;   // the unit square, centred at (1, 0), scaled to 2 × 2
    model.scale = 2.0f;
    model.draw(true);
    std::vector<uint8_t> rgb = gl->readRgb();
    writePngRgb((oldDir / "model_draw.png").string(), rgb.data(), gl->width(), gl->height());
    auto at = [&](int x, int y) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * gl->width() + x) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    // Screen x from -2..2 maps to pixels 0..63: the square covers x 0..2 → pixels 32..63.
    EXPECT_EQ(at(48, 32), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(at(40, 20), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(at(16, 32), (std::array<int, 3>{0, 0, 128}));
    EXPECT_EQ(at(48, 4), (std::array<int, 3>{0, 0, 128}));
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    pack.close();
}

TEST_F(GlTest, MaterialMapsComeFromThePackAndCannotReachOutsideIt)
{
    ModelDescription d = squares({{0, 0, 0}});
    d.materials[0].map = "bark.tga";
    d.materials[1].map = "../escape.tga";
    ResourcePack pack;
    Model_3DS model;
    testing::internal::CaptureStderr();
    loadThroughPack(model, pack, d, {{"bark.tga", encodeTGA(std::vector<uint8_t>(4 * 4 * 3, 60), 4, 4, 3)}});
    std::string err = testing::internal::GetCapturedStderr();
    ASSERT_EQ(model.numMaterials, 2);
    EXPECT_TRUE(model.materials[0].textured);
    EXPECT_NE(model.materials[0].texture, 0u);
    EXPECT_NE(err.find("[../escape.tga] RES NOT FOUND"), std::string::npos) << err;
    EXPECT_NE(err.find("Error loading tga file."), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escape.tga"));
    pack.close();
    EXPECT_FALSE(fs::exists("ScrTempFd")) << "the clean-up removed the folder";
}
