// GL test context over SDL; the framebuffer keeps reads independent of window visibility.
#include "support/gl_context.h"

#include <epoxy/gl.h>
#include <SDL.h>

TestGlContext::TestGlContext(int width, int height) : width_(width), height_(height)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    window_ = SDL_CreateWindow("gl test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!window_) return;
    void* context = SDL_GL_CreateContext(window_);
    if (!context) return;
    context_ = context;
}

TestGlContext::~TestGlContext()
{
    if (context_) {
        if (framebuffer_) {
            glDeleteFramebuffersEXT(1, &framebuffer_);
            glDeleteRenderbuffersEXT(1, &colour_);
            glDeleteRenderbuffersEXT(1, &depth_);
        }
        SDL_GL_DeleteContext(context_);
    }
    if (window_) SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool TestGlContext::bindFramebuffer()
{
    if (!framebuffer_) {
        glGenFramebuffersEXT(1, &framebuffer_);
        glGenRenderbuffersEXT(1, &colour_);
        glGenRenderbuffersEXT(1, &depth_);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour_);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, width_, height_);
        glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depth_);
        glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width_, height_);
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer_);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour_);
        glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth_);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer_);
    glViewport(0, 0, width_, height_);
    return glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

std::vector<uint8_t> TestGlContext::readRgb() const
{
    std::vector<uint8_t> bottomFirst(static_cast<size_t>(width_) * height_ * 3);
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    std::vector<uint8_t> topFirst(bottomFirst.size());
    const size_t row = static_cast<size_t>(width_) * 3;
    for (int y = 0; y < height_; ++y)
        std::copy(bottomFirst.begin() + y * row, bottomFirst.begin() + (y + 1) * row,
                  topFirst.begin() + (height_ - 1 - y) * row);
    return topFirst;
}
