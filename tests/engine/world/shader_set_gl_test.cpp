// Shader programs under a real context: built from files and from the pack, their uniforms set by
// name, sources with Windows line ends, broken, empty or missing ones, and the picture's own power.
#include "engine/base/fatal_messages.h"
#include "engine/world/world_gl_fixture.h"
#include "world/shader_set.h"

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
