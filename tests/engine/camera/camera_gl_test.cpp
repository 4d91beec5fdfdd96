// The camera's view matrix as OpenGL receives it, in a small off-screen SDL context: the rotation
// applied after the translation by the negated position.
#include "camera/camera.h"

#include <gtest/gtest.h>
#include <SDL.h>
#include <GL/gl.h>
#include <array>
#include <cmath>
#include <cstdlib>

// A hidden 16 by 16 window with a compatibility context, made for each test.
class CameraGl : public ::testing::Test {
protected:
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        window = SDL_CreateWindow("camera", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        context = SDL_GL_CreateContext(window);
        ASSERT_NE(context, nullptr) << SDL_GetError();
    }
    void TearDown() override
    {
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

TEST_F(CameraGl, ApplyRotatesAfterTranslatingByTheNegatedPosition)
{
    Camera camera;
    float s = std::sqrt(0.5f);
    camera.orientation = {0, 0, s, s};   // a quarter turn about z
    camera.translation = {-1.0f, -2.0f, -3.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    camera.apply();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::array<float, 16> r = rotationMatrix(camera.orientation);
    for (int k = 0; k < 12; ++k) EXPECT_NEAR(m[k], r[k], 1e-6f) << "element " << k;
    // The camera's own position maps to the eye at the origin.
    float px = 1, py = 2, pz = 3;
    for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(m[row] * px + m[4 + row] * py + m[8 + row] * pz + m[12 + row], 0.0f, 1e-5f) << row;
    // The rotation turns world x onto the eye's y.
    EXPECT_NEAR(m[12], 2.0f, 1e-5f);
    EXPECT_NEAR(m[13], -1.0f, 1e-5f);
    EXPECT_NEAR(m[14], -3.0f, 1e-5f);
}
