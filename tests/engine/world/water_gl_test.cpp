// The water under a real context: its reflection and refraction passes on the framebuffer path
// and the copy path, the viewport it gives back, and the sea quad's program and units.
#include "base/view_size.h"
#include "camera/camera.h"
#include "engine/world/world_gl_fixture.h"
#include "world/shader_set.h"
#include "world/water.h"

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
