// The world's GL code with a real context (under Xvfb): shader programs built from files and
// packs, the terrain's recorded draw, the water's two passes on both paths and its sea quad,
// and what each scene pass draws and the state it leaves.
#include "assets/pack.h"
#include "assets/pack_format.h"
#include "base/frame_timer.h"
#include "base/view_size.h"
#include "camera/camera.h"
#include "engine/base/fatal_messages.h"
#include "jpeg_writer.h"
#include "model_writer.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "tga_writer.h"
#include "world/scene.h"
#include "world/shader_set.h"
#include "world/terrain.h"
#include "world/water.h"

#include <gtest/gtest.h>
#include <epoxy/gl.h>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

using PackEntries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

static constexpr int kContextSize = 1024;

class WorldGl : public ::testing::Test {
protected:
    static TestGlContext* gl;
    static void SetUpTestSuite() { gl = new TestGlContext(kContextSize, kContextSize); }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }
    fs::path oldDir = fs::current_path();
    TempFolder dir{"world"};
    ResourcePack pack;
    void SetUp() override
    {
        ASSERT_TRUE(gl->ok()) << "no OpenGL context (is DISPLAY set?)";
        setenv("ZERO_MESSAGES", "stderr", 1);
        fs::current_path(dir.path());
    }
    void TearDown() override
    {
        pack.removeTempFiles();
        fs::current_path(oldDir);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
        glUseProgramObjectARB(0);
        while (glGetError() != GL_NO_ERROR) {}
    }
    void openPack(const PackEntries& entries)
    {
        ASSERT_TRUE(writeFile("data.res", buildPack(entries)));
        pack.open("data.res");
    }
};
TestGlContext* WorldGl::gl = nullptr;

static std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

static std::vector<uint8_t> sourceFile(const char* name)
{
    std::ifstream in(fs::path(QUELM_SHADER_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

static std::vector<uint8_t> solidJpeg(uint8_t r, uint8_t g, uint8_t b, int size = 16)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < size * size; ++i) pixels.insert(pixels.end(), {r, g, b});
    return encodeJPEG(pixels, size, size, 3, 100);
}

static GLhandleARB programInUse() { return glGetHandleARB(GL_PROGRAM_OBJECT_ARB); }

static GLint integer(GLenum what)
{
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

static std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// What the shaded draws promise to leave: no program, units 0 to 3 without 2D texturing, unit 0 active.
static void expectShadedDrawStateLeft()
{
    EXPECT_EQ(programInUse(), 0u);
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << unit;
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
    // The draws' own last selection, read before the loop above changed it, is checked by callers.
}

// Texturing on, a unit other than 0 active and a stray program in use: the state a draw must clean up.
static void messUpState(GLhandleARB stray)
{
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glEnable(GL_TEXTURE_2D);
    }
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glUseProgramObjectARB(stray);
}

static void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

static const char* const kPlainVertex = "void main() { gl_Position = ftransform(); }\n";
static const char* const kSamplerFragment =
    "uniform sampler2D DuDvTex;\nuniform float dsize;\nuniform vec4 Size;\n"
    "void main() { gl_FragColor = texture2D(DuDvTex, vec2(0.5)) * dsize + Size; }\n";

TEST_F(WorldGl, ProgramsTakeUniformsByNameAndStepAsideForFixedFunction)
{
    ASSERT_TRUE(ShaderSet::supported());
    writeText("a.vert", kPlainVertex);
    writeText("a.frag", kSamplerFragment);
    ShaderSet shaders;
    shaders.createProgram("a.vert", "a.frag", kWaterSlot);
    ASSERT_NE(shaders.programs[kWaterSlot], 0u);
    EXPECT_NE(shaders.vertexShaders[kWaterSlot], 0u);
    EXPECT_NE(shaders.fragmentShaders[kWaterSlot], 0u);
    for (int slot = 0; slot < kShaderSlots; ++slot)
        EXPECT_EQ(shaders.programs[slot] != 0, slot == kWaterSlot) << slot;

    shaders.use(kWaterSlot);
    EXPECT_EQ(shaders.current, kWaterSlot);
    EXPECT_EQ(programInUse(), shaders.programs[kWaterSlot]);
    shaders.setUniform1i("DuDvTex", 2);
    shaders.setUniform1f("dsize", 64.0f);
    shaders.setUniform4f("Size", 1.0f, 2.0f, 3.0f, 4.0f);
    shaders.setUniform1f("NotDeclared", 5.0f);   // location -1: ignored
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLint sampler = -1;
    glGetUniformivARB(shaders.programs[kWaterSlot], shaders.uniformLocation("DuDvTex"), &sampler);
    EXPECT_EQ(sampler, 2);
    GLfloat size[4] = {};
    glGetUniformfvARB(shaders.programs[kWaterSlot], shaders.uniformLocation("Size"), size);
    EXPECT_FLOAT_EQ(size[2], 3.0f);
    EXPECT_EQ(shaders.uniformLocation("NotDeclared"), -1);

    shaders.use(kNoProgram);
    EXPECT_EQ(shaders.current, 0);
    EXPECT_EQ(programInUse(), 0u);
    // With no program in use the set calls touch nothing.
    shaders.setUniform1i("DuDvTex", 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    shaders.release();
    for (int slot = 0; slot < kShaderSlots; ++slot) {
        EXPECT_EQ(shaders.programs[slot], 0u);
        EXPECT_EQ(shaders.vertexShaders[slot], 0u);
        EXPECT_EQ(shaders.fragmentShaders[slot], 0u);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WorldGl, SourcesWithWindowsLineEndsCompileAndBrokenOnesAreReported)
{
    std::string crlf = kSamplerFragment;
    for (size_t at = crlf.find('\n'); at != std::string::npos; at = crlf.find('\n', at + 2)) crlf.insert(at, "\r");
    writeText("a.vert", kPlainVertex);
    writeText("crlf.frag", crlf);
    writeText("broken.frag", "void main() { gl_FragColor = vec4(1.0) +; }\n");

    ShaderSet shaders;
    testing::internal::CaptureStderr();
    shaders.createProgram("a.vert", "crlf.frag", 1);
    std::string clean = testing::internal::GetCapturedStderr();
    EXPECT_EQ(clean, "");
    GLint linked = 0;
    glGetObjectParameterivARB(shaders.programs[1], GL_OBJECT_LINK_STATUS_ARB, &linked);
    EXPECT_TRUE(linked);

    FatalMessages fatal;
    testing::internal::CaptureStderr();
    shaders.createProgram("a.vert", "broken.frag", 2);
    std::string log = testing::internal::GetCapturedStderr();
    // The run goes on with whatever the driver made of it; the log names the file.
    EXPECT_NE(log.find("broken.frag does not compile"), std::string::npos) << log;
    EXPECT_NE(log.find("does not link"), std::string::npos) << log;
    EXPECT_NE(shaders.programs[2], 0u);
    EXPECT_EQ(fatal.count(), 0u);
    shaders.release();
}

TEST_F(WorldGl, AMissingOrEmptySourceStopsTheRunLikeMissingSupport)
{
    writeText("a.vert", kPlainVertex);
    writeText("empty.frag", "");
    writeText("zero.frag", std::string("\0void main() { gl_FragColor = vec4(1.0); }\n", 43));   // empty to the driver
    ShaderSet shaders;
    FatalMessages fatal;
    for (const char* fragment : {"empty.frag", "nowhere.frag", "zero.frag"}) {
        testing::internal::CaptureStderr();
        shaders.createProgram("a.vert", fragment, kTerrainSlot);
        std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("[ERROR] Shaders not supported!"), std::string::npos) << log;
        EXPECT_NE(log.find(fragment), std::string::npos) << log;
        EXPECT_EQ(shaders.programs[kTerrainSlot], 0u);
        EXPECT_EQ(shaders.vertexShaders[kTerrainSlot], 0u);
    }
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>(3, FailurePointer::Unchanged));
    // A slot outside the ten is refused without touching GL.
    shaders.createProgram("a.vert", "empty.frag", 10);
    EXPECT_EQ(fatal.count(), 3u);
}

TEST_F(WorldGl, TheEnginesFourSourcesBuildFromThePack)
{
    openPack({{"water.vert", sourceFile("water.vert")}, {"water.frag", sourceFile("water.frag")},
              {"terrain.vert", sourceFile("terrain.vert")}, {"terrain.frag", sourceFile("terrain.frag")}});
    ShaderSet shaders;
    testing::internal::CaptureStderr();
    shaders.loadProgramFromPack(pack, "water.vert", "water.frag", kWaterSlot);
    shaders.loadProgramFromPack(pack, "terrain.vert", "terrain.frag", kTerrainSlot);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log, "");
    for (int16_t slot : {kWaterSlot, kTerrainSlot}) {
        GLint linked = 0;
        glGetObjectParameterivARB(shaders.programs[slot], GL_OBJECT_LINK_STATUS_ARB, &linked);
        EXPECT_TRUE(linked) << slot;
        shaders.use(slot);
        // The names the engine sets are the ones the sources use.
        const std::vector<const char*> names = slot == kWaterSlot
            ? std::vector<const char*>{"ReflTex", "RefrTex", "DuDvTex", "CamPos", "Size"}
            : std::vector<const char*>{"SurfaceTex", "MixingTex", "DetailTex", "ShadowTex", "dsize"};
        for (const char* name : names) EXPECT_GE(shaders.uniformLocation(name), 0) << name;
    }
    shaders.use(kNoProgram);
    shaders.release();
}

// A unit square facing +z in the x-y plane from (0, 0) to (1, 1), with texture coordinates.
static ModelDescription wall()
{
    ModelDescription d;
    d.materials = {{"ground", {255, 255, 255}, ""}};
    ObjectDescription o;
    o.name = "wall";
    o.vertices = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    o.texCoords = {0, 0, 1, 0, 1, 1, 0, 1};
    o.triangles = {0, 1, 2, 0, 2, 3};
    o.groups = {{"ground", {0, 1}}};
    d.objects.push_back(o);
    return d;
}

// A shader that shows which picture sits on which unit: red of the surface, green of the
// mixing map, blue of the detail map; or, in the second form, dsize and the shadow map.
static const char* const kUnitsFragment =
    "uniform sampler2D SurfaceTex, MixingTex, DetailTex, ShadowTex;\nuniform float dsize;\n"
    "void main() { vec2 c = gl_TexCoord[0].st;\n"
    "  gl_FragColor = vec4(texture2D(SurfaceTex, c).r, texture2D(MixingTex, c).g, texture2D(DetailTex, c).b, 1.0); }\n";
static const char* const kSizeFragment =
    "uniform sampler2D SurfaceTex, MixingTex, DetailTex, ShadowTex;\nuniform float dsize;\n"
    "void main() { gl_FragColor = vec4(dsize / 100.0, texture2D(ShadowTex, gl_TexCoord[0].st).g, 0.0, 1.0); }\n";
static const char* const kTexturedVertex =
    "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }\n";

static PackEntries terrainAssets(const ModelDescription& model)
{
    return {{"t.3ds", encode3DS(model)}, {"nt.3ds", bytesOf(normalsText(model))},
            {"s.jpg", solidJpeg(200, 0, 0)}, {"m.jpg", solidJpeg(0, 150, 0)},
            {"d.jpg", solidJpeg(0, 0, 100)}, {"sh.jpg", solidJpeg(77, 77, 77)}};
}

// Looks at world x from -4 to 4 and y from -26 to -18 across the whole framebuffer.
static void sideView()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -26, -18, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

static int rowOfY(float y) { return static_cast<int>((-18.0f - y) / 8.0f * kContextSize); }   // rows top first
static int columnOfX(float x) { return static_cast<int>((x + 4.0f) / 8.0f * kContextSize); }

static std::array<int, 3> pixel(const std::vector<uint8_t>& rgb, int column, int row)
{
    size_t at = (static_cast<size_t>(row) * kContextSize + column) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

static void expectNear(const std::array<int, 3>& got, const std::array<int, 3>& want, int tolerance = 4)
{
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], tolerance) << "channel " << c;
}

TEST_F(WorldGl, TerrainRecordsItsProgramUnitsAndSizeAndScalesBeforeItsOffset)
{
    writeText("t.vert", kTexturedVertex);
    writeText("units.frag", kUnitsFragment);
    writeText("size.frag", kSizeFragment);
    openPack(terrainAssets(wall()));
    ASSERT_TRUE(gl->bindFramebuffer());

    // Two sets, so each list records a program of its own in the terrain slot.
    ShaderSet shaders, otherShaders;
    Terrain first, second;
    first.shaders = &shaders;
    second.shaders = &otherShaders;
    shaders.createProgram("t.vert", "units.frag", kTerrainSlot);
    first.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
    otherShaders.createProgram("t.vert", "size.frag", kTerrainSlot);
    second.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
    ASSERT_NE(first.displayList, 0u);
    // The same detail picture loaded twice gives each terrain its own texture.
    EXPECT_NE(first.detail, second.detail);
    EXPECT_NE(first.detail, 0u);

    // Scale 2 and then offset -11.3 in scaled units: the wall spans y -22.6 to -20.6, x 0 to 2.
    first.setScale(2, 2, 2);
    first.setOffset(0, -11.3f, 0);
    sideView();
    GLhandleARB stray = shaders.programs[kTerrainSlot];
    messUpState(stray);
    first.draw();
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    expectShadedDrawStateLeft();
    std::vector<uint8_t> rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {200, 150, 100});
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-22.8f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-20.4f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(-0.2f), rowOfY(-21.6f)), {0, 0, 0});

    // The second list recorded the other program, its size and the shadow map on unit 3.
    sideView();
    second.setScale(2, 2, 2);
    second.setOffset(0, -11.3f, 0);
    second.draw();
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
    expectShadedDrawStateLeft();
    rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {163, 77, 0});

    // Moving it afterwards needs no new list.
    GLuint list = second.displayList;
    second.setOffset(1, -11.3f, 0);
    sideView();
    second.draw();
    EXPECT_EQ(second.displayList, list);
    rgb = gl->readRgb();
    expectNear(pixel(rgb, columnOfX(1.0f), rowOfY(-21.6f)), {0, 0, 0});
    expectNear(pixel(rgb, columnOfX(3.0f), rowOfY(-21.6f)), {163, 77, 0});

    first.destroy();
    second.destroy();
    EXPECT_FALSE(glIsList(list));
    shaders.release();
    otherShaders.release();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The water's passes call this in place of the scene: it notes what each pass found and fills
// the viewport with the pass's colour.
struct PassRecord {
    int pass;
    bool clipping;
    GLint cullFace;
    std::array<GLint, 4> viewport;
    GLint framebuffer;
};
static std::vector<PassRecord> g_passes;
static const std::array<float, 3> kPassColours[2] = {{1.0f, 0.5f, 0.0f}, {0.0f, 0.25f, 1.0f}};

static void recordingScene(int pass)
{
    g_passes.push_back({pass, glIsEnabled(GL_CLIP_PLANE0) == GL_TRUE, integer(GL_CULL_FACE_MODE), viewport(),
                        integer(GL_FRAMEBUFFER_BINDING_EXT)});
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_CLIP_PLANE0);   // the quad covers the viewport whatever the plane
    glDisable(GL_CULL_FACE);
    const std::array<float, 3>& c = kPassColours[pass & 1];
    glColor3f(c[0], c[1], c[2]);
    glBegin(GL_QUADS);
    glVertex2f(-1, -1);
    glVertex2f(1, -1);
    glVertex2f(1, 1);
    glVertex2f(-1, 1);
    glEnd();
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    glEnable(GL_CLIP_PLANE0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

static std::array<int, 3> textureCentre(GLuint texture)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> texels(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    size_t at = (static_cast<size_t>(h / 2) * w + w / 2) * 4;
    return {texels[at], texels[at + 1], texels[at + 2]};
}

class WaterGl : public WorldGl {
protected:
    ShaderSet shaders;
    Camera camera;
    Water water;
    void SetUp() override
    {
        WorldGl::SetUp();
        if (HasFatalFailure()) return;
        openPack({{"water.vert", sourceFile("water.vert")}, {"water.frag", sourceFile("water.frag")},
                  {"dudv.jpg", solidJpeg(128, 128, 255)}});
        shaders.loadProgramFromPack(pack, "water.vert", "water.frag", kWaterSlot);
        camera.translation = {-3.0f, -5.0f, 7.0f};   // the camera stands at (3, 5, -7)
        water.camera = &camera;
        water.shaders = &shaders;
        water.drawScene = recordingScene;
        setViewSize(800, 600);
        g_passes.clear();
        glViewport(0, 0, 800, 600);
    }
    void TearDown() override
    {
        water.destroy();
        shaders.release();
        WorldGl::TearDown();
    }
    void checkPasses(int reflectionSide, int refractionSide, std::array<GLint, 4> window = {0, 0, 800, 600})
    {
        ASSERT_EQ(g_passes.size(), 2u);
        EXPECT_EQ(g_passes[0].pass, 0);
        EXPECT_TRUE(g_passes[0].clipping);
        EXPECT_EQ(g_passes[0].cullFace, GL_FRONT);   // the mirror turns the winding round
        EXPECT_EQ(g_passes[0].viewport, (std::array<GLint, 4>{0, 0, reflectionSide, reflectionSide}));
        EXPECT_EQ(g_passes[1].pass, 1);
        EXPECT_TRUE(g_passes[1].clipping);
        EXPECT_EQ(g_passes[1].cullFace, GL_BACK);
        EXPECT_EQ(g_passes[1].viewport, (std::array<GLint, 4>{0, 0, refractionSide, refractionSide}));
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
        EXPECT_EQ(integer(GL_CULL_FACE_MODE), GL_BACK);
        // After the refraction pass: the window's viewport.
        EXPECT_EQ(viewport(), window);
    }
    void checkSeaDraw()
    {
        GLhandleARB program = shaders.programs[kWaterSlot];
        messUpState(0);
        glActiveTextureARB(GL_TEXTURE3_ARB);
        float before = water.scroll;
        water.draw();
        water.draw();
        EXPECT_FLOAT_EQ(water.scroll, before + 2 * kScrollStep);
        EXPECT_EQ(integer(GL_ACTIVE_TEXTURE_ARB), GL_TEXTURE0_ARB);
        expectShadedDrawStateLeft();
        EXPECT_EQ(shaders.current, 0);
        // CamPos carries the camera's height negated; x and z as they are.
        GLfloat camPos[4] = {};
        glGetUniformfvARB(program, glGetUniformLocationARB(program, "CamPos"), camPos);
        EXPECT_FLOAT_EQ(camPos[0], 3.0f);
        EXPECT_FLOAT_EQ(camPos[1], -5.0f);
        EXPECT_FLOAT_EQ(camPos[2], -7.0f);
        EXPECT_FLOAT_EQ(camPos[3], 1.0f);
        GLint units[3] = {-1, -1, -1};
        glGetUniformivARB(program, glGetUniformLocationARB(program, "ReflTex"), &units[0]);
        glGetUniformivARB(program, glGetUniformLocationARB(program, "RefrTex"), &units[1]);
        glGetUniformivARB(program, glGetUniformLocationARB(program, "DuDvTex"), &units[2]);
        EXPECT_EQ(units[0], 0);
        EXPECT_EQ(units[1], 1);
        EXPECT_EQ(units[2], 2);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

TEST_F(WaterGl, FramebufferPathRendersBothImagesAndLeavesTheWindowBound)
{
    water.setup(pack, "dudv.jpg", 192.0f, 4096.0f, true);
    ASSERT_TRUE(water.useTargets);
    EXPECT_TRUE(water.reflectionTarget.complete);
    EXPECT_TRUE(water.refractionTarget.complete);
    EXPECT_EQ(water.reflectionImage(), water.reflectionTarget.colourTexture);
    EXPECT_EQ(water.reflectionTexture, 0u);
    EXPECT_FLOAT_EQ(water.texRepeat, 192.0f);
    EXPECT_FLOAT_EQ(water.halfSize, 4096.0f);

    water.renderReflection();
    water.renderRefraction();
    checkPasses(kReflectionSize, kRefractionSize);
    EXPECT_NE(g_passes[0].framebuffer, 0);
    EXPECT_NE(g_passes[0].framebuffer, g_passes[1].framebuffer);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
    expectNear(textureCentre(water.reflectionImage()), {255, 128, 0}, 2);
    expectNear(textureCentre(water.refractionImage()), {0, 64, 255}, 2);
    checkSeaDraw();
}

TEST_F(WaterGl, CopyPathRendersIntoTheCornerAndCopiesIt)
{
    setViewSize(kContextSize, kContextSize);   // a window that holds the whole reflection
    water.setup(pack, "dudv.jpg", 192.0f, 4096.0f, false);
    ASSERT_FALSE(water.useTargets);
    EXPECT_EQ(water.reflectionTarget.framebuffer, 0u);
    EXPECT_NE(water.reflectionTexture, 0u);
    EXPECT_EQ(water.refractionImage(), water.refractionTexture);

    water.renderReflection();
    water.renderRefraction();
    checkPasses(kReflectionSize, kRefractionSize, {0, 0, kContextSize, kContextSize});
    EXPECT_EQ(g_passes[0].framebuffer, 0);
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING_EXT), 0);

    // Drawn into a framebuffer as large as the reflection, the copies hold what the passes drew.
    ASSERT_TRUE(gl->bindFramebuffer());
    g_passes.clear();
    water.renderReflection();
    water.renderRefraction();
    expectNear(textureCentre(water.reflectionImage()), {255, 128, 0}, 2);
    expectNear(textureCentre(water.refractionImage()), {0, 64, 255}, 2);
    checkSeaDraw();
}

// A window smaller than an image: the copy path renders and copies only the square the window
// holds (what lies outside is not the engine's to read back), the framebuffer path is unchanged.
TEST_F(WaterGl, CopyPathKeepsItsSquaresInsideASmallView)
{
    setViewSize(320, 200);
    water.setup(pack, "dudv.jpg", 192.0f, 4096.0f, false);
    ASSERT_FALSE(water.useTargets);
    water.renderReflection();
    water.renderRefraction();
    checkPasses(200, 200, {0, 0, 320, 200});
    GLint side = 0;
    glBindTexture(GL_TEXTURE_2D, water.reflectionImage());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side);
    EXPECT_EQ(side, 200);
    ASSERT_TRUE(gl->bindFramebuffer());
    water.renderReflection();
    water.renderRefraction();
    expectNear(textureCentre(water.reflectionImage()), {255, 128, 0}, 2);
    expectNear(textureCentre(water.refractionImage()), {0, 64, 255}, 2);
    setViewSize(800, 600);
}

// After its passes the water puts the viewport back on the one view size, also after the view
// changed size (a window resized, or one that is not the desktop's size).
TEST_F(WaterGl, TheViewportReturnsToTheViewAsItIsNow)
{
    water.setup(pack, "dudv.jpg", 192.0f, 4096.0f, true);
    setViewSize(640, 360);
    water.renderReflection();
    water.renderRefraction();
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 640, 360}));
    setViewSize(800, 600);
}

TEST_F(WaterGl, AnIncompleteTargetSendsTheWaterDownTheCopyPath)
{
    water.reflectionSize = 1 << 20;   // no driver makes a framebuffer this large
    testing::internal::CaptureStderr();
    water.setup(pack, "dudv.jpg", 192.0f, 4096.0f, true);
    std::string log = testing::internal::GetCapturedStderr();
    while (glGetError() != GL_NO_ERROR) {}
    EXPECT_FALSE(water.useTargets);
    EXPECT_FALSE(water.reflectionTarget.complete);
    EXPECT_EQ(water.reflectionTarget.framebuffer, 0u);
    EXPECT_EQ(water.refractionTarget.framebuffer, 0u);
    EXPECT_NE(water.refractionTexture, 0u);
    EXPECT_NE(log.find("render targets incomplete"), std::string::npos) << log;
    EXPECT_EQ(integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
}

// Flat squares seen from above, each in a colour of its own, stand in for the scene's models.
static ModelDescription flatSquare(float cx, float cz, float half, const char* material, std::array<uint8_t, 3> colour)
{
    ModelDescription d;
    d.materials = {{material, {colour[0], colour[1], colour[2]}, ""}};
    ObjectDescription o;
    o.name = material;
    o.vertices = {cx - half, 0, cz - half, cx - half, 0, cz + half, cx + half, 0, cz + half, cx + half, 0, cz - half};
    o.texCoords = {0, 0, 0, 1, 1, 1, 1, 0};
    o.triangles = {0, 1, 2, 0, 2, 3};
    o.groups = {{material, {0, 1}}};
    d.objects.push_back(o);
    return d;
}

class SceneGl : public WorldGl {
protected:
    Model_3DS sky, ship, trunks, leaves;
    Terrain ground;
    ShaderSet shaders;
    Camera camera;
    SceneObjects scene;
    void SetUp() override
    {
        WorldGl::SetUp();
        if (HasFatalFailure()) return;
        ModelDescription ground1 = flatSquare(0, 300, 40, "ground", {255, 255, 255});
        PackEntries entries = terrainAssets(ground1);
        auto addModel = [&](const char* name, const ModelDescription& d) {
            entries.push_back({name, encode3DS(d)});
            entries.push_back({std::string("n") + name, bytesOf(normalsText(d))});
        };
        addModel("sky.3ds", flatSquare(0, 0, 1, "sky", {0, 0, 255}));
        addModel("ship.3ds", flatSquare(0, 0, 20, "hull", {255, 0, 0}));
        addModel("trunk.3ds", flatSquare(300, 0, 30, "bark", {0, 255, 0}));
        addModel("leaf.3ds", flatSquare(-300, 0, 30, "leaf", {255, 255, 255}));
        openPack(entries);
        sky.loadFromPack(pack, "sky.3ds");
        ship.loadFromPack(pack, "ship.3ds");
        trunks.loadFromPack(pack, "trunk.3ds");
        leaves.loadFromPack(pack, "leaf.3ds");
        // Clipped like the engine's terrain program: in eye coordinates.
        writeText("t.vert", "void main() { gl_ClipVertex = gl_ModelViewMatrix * gl_Vertex; gl_Position = ftransform(); }\n");
        writeText("yellow.frag", "void main() { gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0); }\n");
        shaders.createProgram("t.vert", "yellow.frag", kTerrainSlot);
        ground.shaders = &shaders;
        ground.load(64.0f, pack, "t.3ds", "s.jpg", "m.jpg", "d.jpg", "sh.jpg");
        scene = {&sky, &ship, &trunks, &leaves, &ground, nullptr, &camera};
        ASSERT_TRUE(gl->bindFramebuffer());
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_CULL_FACE);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    void TearDown() override
    {
        ground.destroy();
        shaders.release();
        glDisable(GL_LIGHT1);
        WorldGl::TearDown();
    }
    // Looks straight down on x and z from -600 to 600 (x to the right, -z up the picture).
    std::vector<uint8_t> drawFromAbove(int pass)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-600, 600, -600, 600, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(90, 1, 0, 0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScene(scene, pass);
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << "pass " << pass;
        if (pass != kPassAfterWater) {
            EXPECT_FALSE(glIsEnabled(GL_BLEND)) << "pass " << pass;
        }
        return gl->readRgb();
    }
    static std::array<int, 3> at(const std::vector<uint8_t>& rgb, float x, float z)
    {
        int column = static_cast<int>((x + 600.0f) / 1200.0f * kContextSize);
        int row = static_cast<int>((z + 600.0f) / 1200.0f * kContextSize);
        return pixel(rgb, column, row);
    }
};

static bool black(const std::array<int, 3>& p) { return p[0] < 8 && p[1] < 8 && p[2] < 8; }
static bool mostly(const std::array<int, 3>& p, int channel)
{
    for (int c = 0; c < 3; ++c)
        if (c != channel && p[c] > p[channel] / 3) return false;
    return p[channel] > 40;
}

TEST_F(SceneGl, EachPassDrawsItsObjectsAndLeavesLightingAndBlendingOff)
{
    for (int pass : {kPassReflection, kPassRefraction, kPassMain}) {
        std::vector<uint8_t> rgb = drawFromAbove(pass);
        // The sky twice: 30 across its first copy's half, 36 for the second, so the ring between shows.
        EXPECT_TRUE(mostly(at(rgb, 0, 0), 2)) << pass;
        EXPECT_TRUE(mostly(at(rgb, 33, 0), 2)) << pass;
        EXPECT_TRUE(black(at(rgb, 40, 0))) << pass;
        // The ship at its place 500 out along -z, the trunks, the terrain.
        EXPECT_TRUE(mostly(at(rgb, 0, -500), 0)) << pass;
        EXPECT_TRUE(black(at(rgb, 0, -460))) << pass;
        EXPECT_TRUE(mostly(at(rgb, 300, 0), 1)) << pass;
        auto terrain = at(rgb, 0, 300);
        EXPECT_GT(terrain[0], 200) << pass;
        EXPECT_GT(terrain[1], 200) << pass;
        EXPECT_LT(terrain[2], 40) << pass;
        // The leaves only in the reflection.
        EXPECT_EQ(black(at(rgb, -300, 0)), pass != kPassReflection) << pass;
    }
    glEnable(GL_BLEND);
    std::vector<uint8_t> rgb = drawFromAbove(kPassAfterWater);
    EXPECT_FALSE(black(at(rgb, -300, 0)));
    for (auto [x, z] : {std::pair{0.0f, 0.0f}, {33.0f, 0.0f}, {0.0f, -500.0f}, {300.0f, 0.0f}, {0.0f, 300.0f}})
        EXPECT_TRUE(black(at(rgb, x, z))) << x << ", " << z;
    glDisable(GL_BLEND);
}

// The leaves are sorted after the sea on the frame timer's sort frames only (0 and 30).
TEST_F(SceneGl, TheLeavesAreSortedOnTheTimersSortFramesOnly)
{
    FrameTimer timer;
    scene.timer = &timer;
    camera.translation = {10.0f, 0.0f, 0.0f};
    timer.frameCounter = 1;
    drawFromAbove(kPassAfterWater);
    EXPECT_EQ(leaves.drawDistance, std::vector<float>{0.0f}) << "sorted on frame 1";
    timer.frameCounter = 30;
    drawFromAbove(kPassAfterWater);
    ASSERT_EQ(leaves.drawDistance.size(), 1u);
    EXPECT_GT(leaves.drawDistance[0], 0.0f) << "not sorted on frame 30";
    glDisable(GL_BLEND);
}

// What the sea hook saw of the picture when the main pass called it.
static int g_seaDraws = 0;
static bool g_clippedDuringSea = false;
static std::array<int, 3> g_skyUnderSea{}, g_groundUnderSea{};

// The main pass draws the sea once, in place: after the island's ground and before the sky. From
// an eye well above the sea whatever lies below the sea's lowest level (here the ground when it is
// lowered, and the test's sky and ship, which always lie there) is clipped away; from a low eye, an eye
// under the sea, or in the water's own passes it is drawn.
TEST_F(SceneGl, TheMainPassDrawsTheSeaAfterTheGroundAndClipsWhatTheSeaHides)
{
    scene.drawSea = [] {
        ++g_seaDraws;
        g_clippedDuringSea = glIsEnabled(GL_CLIP_PLANE0);
        std::vector<uint8_t> rgb(kContextSize * kContextSize * 3);
        glReadPixels(0, 0, kContextSize, kContextSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        auto seen = [&](float x, float z) {
            int column = static_cast<int>((x + 600.0f) / 1200.0f * kContextSize);
            int row = kContextSize - 1 - static_cast<int>((z + 600.0f) / 1200.0f * kContextSize);
            size_t i = (static_cast<size_t>(row) * kContextSize + column) * 3;
            return std::array<int, 3>{rgb[i], rgb[i + 1], rgb[i + 2]};
        };
        g_skyUnderSea = seen(0, 0);
        g_groundUnderSea = seen(0, 300);
    };
    struct Case {
        float groundY, eyeY;
        int pass;
        bool groundShown, deepShown;   // deep: the test's sky and ship, which lie below the sea
    };
    const Case cases[] = {
        {kSeaLowest - 0.5f, 100.0f, kPassMain, false, false},
        {kSeaLowest + 0.2f, 100.0f, kPassMain, true, false},                // above the lowest level: kept
        {kSeaLowest - 0.5f, kSeaHighest + 1.0f, kPassMain, true, true},     // the near plane may dip into the sea
        {kSeaLowest - 0.5f, -10.0f, kPassMain, true, true},                 // under the sea
        {kSeaLowest - 0.5f, 100.0f, kPassReflection, true, true},
        {kSeaLowest - 0.5f, 100.0f, kPassRefraction, true, true},
    };
    for (const Case& c : cases) {
        ground.setOffset(0.0f, c.groundY, 0.0f);
        camera.translation = {0.0f, -c.eyeY, 0.0f};
        g_seaDraws = 0;
        g_groundUnderSea = g_skyUnderSea = {-1, -1, -1};
        std::vector<uint8_t> rgb = drawFromAbove(c.pass);
        const std::string which = "ground " + std::to_string(c.groundY) + ", eye " + std::to_string(c.eyeY) +
                                  ", pass " + std::to_string(c.pass);
        EXPECT_EQ(!black(at(rgb, 0, 300)), c.groundShown) << which;
        EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0)) << which;
        EXPECT_TRUE(c.deepShown ? mostly(at(rgb, 0, 0), 2) : black(at(rgb, 0, 0))) << which << ": the sky";
        EXPECT_TRUE(c.deepShown ? mostly(at(rgb, 0, -500), 0) : black(at(rgb, 0, -500))) << which << ": the ship";
        EXPECT_TRUE(mostly(at(rgb, 300, 0), 1)) << which << ": the trunks";
        if (c.pass != kPassMain) {
            EXPECT_EQ(g_seaDraws, 0) << which;
            continue;
        }
        EXPECT_EQ(g_seaDraws, 1) << which;
        EXPECT_FALSE(g_clippedDuringSea) << which;
        EXPECT_TRUE(black(g_skyUnderSea)) << which << ": the sky came before the sea";
        EXPECT_EQ(!black(g_groundUnderSea), c.groundShown) << which << ": the ground came after the sea";
    }
}

TEST_F(SceneGl, TheSecondSkyIsLowerAndTheShipPlacedAndTurned)
{
    drawFromAbove(kPassMain);
    // From above, nearer is higher: the first copy at -20 lies over the second at -25.
    auto depthAt = [](float x, float z) {
        GLfloat depth = 0;
        glReadPixels(static_cast<int>((x + 600.0f) / 1200.0f * kContextSize),
                     kContextSize - 1 - static_cast<int>((z + 600.0f) / 1200.0f * kContextSize), 1, 1,
                     GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    EXPECT_LT(depthAt(0, 0), depthAt(33, 0));
    EXPECT_FLOAT_EQ(sky.position[1], -25.0f);
    EXPECT_FLOAT_EQ(sky.scale, 36.0f);
    EXPECT_FLOAT_EQ(ship.rotation[0], -2.0f);
    EXPECT_FLOAT_EQ(ship.rotation[1], 30.0f);
    EXPECT_FLOAT_EQ(ship.position[1], -2.0f);
    EXPECT_FLOAT_EQ(ship.position[2], -500.0f);
    // Light 1 stays on, set in the world: its position went through the view's matrix.
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
    GLfloat position[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_FLOAT_EQ(position[0], -400.0f);   // rotated about x by 90 degrees: (x, -z, y)
    EXPECT_NEAR(position[1], 300.0f, 1e-3);
    EXPECT_NEAR(position[2], 10.0f, 1e-3);
}

// The picture's own gamma (a display without a ramp): a program gets the power live, also when a
// display list recorded at another power binds it; fixed-function drawing goes through the set's
// stand-in, texture times colour raised to the power; at a power of 1 the fixed pipeline is back.
TEST_F(WorldGl, ThePicturesPowerReachesProgramsListsAndFixedDrawing)
{
    writeText("a.vert", kPlainVertex);
    writeText("a.frag", "uniform float pictureExponent;\n"
                        "void main() { gl_FragColor = vec4(pow(vec3(0.25), vec3(pictureExponent)), 1.0); }\n");
    ShaderSet shaders;
    shaders.createProgram("a.vert", "a.frag", kWaterSlot);
    ASSERT_NE(shaders.programs[kWaterSlot], 0u);
    ASSERT_TRUE(gl->bindFramebuffer());
    glViewport(0, 0, kContextSize, kContextSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    auto quad = [](float left, float right) {
        glBegin(GL_QUADS);
        glTexCoord2f(0.5f, 0.5f);
        glVertex2f(left, -1.0f);
        glVertex2f(right, -1.0f);
        glVertex2f(right, 1.0f);
        glVertex2f(left, 1.0f);
        glEnd();
    };
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);   // recorded at a power of 1, as the terrain's is at loading
    shaders.use(kWaterSlot);
    quad(-1.0f, -0.5f);
    shaders.use(kNoProgram);
    glEndList();
    GLuint white = 0;
    const uint8_t texel[4] = {255, 255, 255, 255};
    glGenTextures(1, &white);
    glBindTexture(GL_TEXTURE_2D, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glEnable(GL_TEXTURE_2D);

    shaders.setPictureExponent(0.5f);
    glCallList(list);
    shaders.use(kNoProgram);
    EXPECT_NE(programInUse(), 0u) << "fixed-function drawing at a power of 0.5 needs the stand-in";
    glColor4f(0.25f, 0.25f, 0.25f, 1.0f);
    quad(-0.5f, 0.0f);
    shaders.setPictureExponent(1.0f);
    EXPECT_EQ(programInUse(), 0u);
    quad(0.0f, 0.5f);
    glPushMatrix();   // the list's quad again, now at 1, over the right quarter
    glTranslatef(1.5f, 0.0f, 0.0f);
    glCallList(list);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glFinish();

    const std::vector<uint8_t> rgb = gl->readRgb();
    const int row = kContextSize / 2;
    // 0.25^0.5 = 0.5 where the power was 0.5, 0.25 where it was 1.
    const struct {
        const char* what;
        int column, grey;
    } expected[] = {{"the list's program at 0.5", 1, 128},
                    {"fixed drawing at 0.5", 3, 128},
                    {"fixed drawing at 1", 5, 64},
                    {"the list's program at 1", 7, 64}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.what);
        expectNear(pixel(rgb, e.column * kContextSize / 8, row), {e.grey, e.grey, e.grey}, 2);
    }
    glDeleteLists(list, 1);
    glDeleteTextures(1, &white);
    shaders.release();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
