// The world's GL tests share one fixture: a real context (under Xvfb) of kContextSize square, a
// temporary folder as the working directory, a pack made from chosen entries, and the checks on
// the state the shaded draws leave behind.
#pragma once

#include "assets/pack.h"
#include "assets/pack_format.h"
#include "jpeg_writer.h"
#include "model_writer.h"
#include "support/gl_context.h"
#include "support/temp_folder.h"
#include "tga_writer.h"

#include <gtest/gtest.h>
#include <epoxy/gl.h>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using PackEntries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

inline constexpr int kContextSize = 1024;

class WorldGl : public ::testing::Test {
protected:
    static inline TestGlContext* gl = nullptr;
    static void SetUpTestSuite() { gl = new TestGlContext(kContextSize, kContextSize); }
    static void TearDownTestSuite()
    {
        delete gl;
        gl = nullptr;
    }
    std::filesystem::path oldDir = std::filesystem::current_path();
    TempFolder dir{"world"};
    ResourcePack pack;
    void SetUp() override
    {
        ASSERT_TRUE(gl->ok()) << "no OpenGL context (is DISPLAY set?)";
        setenv("ZERO_MESSAGES", "stderr", 1);
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override
    {
        pack.removeTempFiles();
        std::filesystem::current_path(oldDir);
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

inline std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

inline std::vector<uint8_t> sourceFile(const char* name)
{
    std::ifstream in(std::filesystem::path(QUELM_SHADER_DIR) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<uint8_t> solidJpeg(uint8_t r, uint8_t g, uint8_t b, int size = 16)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < size * size; ++i) pixels.insert(pixels.end(), {r, g, b});
    return encodeJPEG(pixels, size, size, 3, 100);
}

inline GLhandleARB programInUse() { return glGetHandleARB(GL_PROGRAM_OBJECT_ARB); }

inline GLint integer(GLenum what)
{
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

inline std::array<GLint, 4> viewport()
{
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// What the shaded draws promise to leave: no program, units 0 to 3 without 2D texturing, unit 0 active.
inline void expectShadedDrawStateLeft()
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
inline void messUpState(GLhandleARB stray)
{
    for (int unit = 0; unit < 4; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glEnable(GL_TEXTURE_2D);
    }
    glActiveTextureARB(GL_TEXTURE2_ARB);
    glUseProgramObjectARB(stray);
}

inline void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

inline const char* const kPlainVertex = "void main() { gl_Position = ftransform(); }\n";

inline PackEntries terrainAssets(const ModelDescription& model)
{
    return {{"t.3ds", encode3DS(model)}, {"nt.3ds", bytesOf(normalsText(model))},
            {"s.jpg", solidJpeg(200, 0, 0)}, {"m.jpg", solidJpeg(0, 150, 0)},
            {"d.jpg", solidJpeg(0, 0, 100)}, {"sh.jpg", solidJpeg(77, 77, 77)}};
}

inline std::array<int, 3> pixel(const std::vector<uint8_t>& rgb, int column, int row)
{
    size_t at = (static_cast<size_t>(row) * kContextSize + column) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

inline void expectNear(const std::array<int, 3>& got, const std::array<int, 3>& want, int tolerance = 4)
{
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], want[c], tolerance) << "channel " << c;
}
