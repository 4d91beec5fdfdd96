// A hidden SDL window with an OpenGL compatibility context for GL-level tests (under Xvfb),
// plus an off-screen framebuffer to draw into and read back.
#pragma once

#include <cstdint>
#include <vector>

struct SDL_Window;

class TestGlContext {
public:
    // Creates the window and context and starts GLEW; ok() tells whether it worked.
    TestGlContext(int width = 64, int height = 64);
    ~TestGlContext();
    bool ok() const { return context_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Binds an RGBA framebuffer with depth of the context's size for drawing and reading.
    bool bindFramebuffer();
    // RGB bytes of the bound framebuffer, rows top first.
    std::vector<uint8_t> readRgb() const;

private:
    SDL_Window* window_ = nullptr;
    void* context_ = nullptr;
    int width_, height_;
    unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
};
