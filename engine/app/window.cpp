// The full-screen window, its OpenGL context, the projection and the gamma ramp, through SDL2.
#include "app/engine_app.h"

#include "app/x_errors.h"
#include "base/messages.h"
#include "base/projection.h"
#include "base/view_size.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <SDL.h>
#include <SDL_syswm.h>
#include <cstring>

EngineApp::EngineApp()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    const char* driver = SDL_GetCurrentVideoDriver();
    offscreenDriver = driver && std::strcmp(driver, "offscreen") == 0;
}

static void setColourAttributes(int colourBits)
{
    int red = 8, green = 8, blue = 8;
    if (colourBits == 16) { red = 5; green = 6; blue = 5; }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

// Our window's X display and window id, where SDL runs on X11.
static bool x11Handles(SDL_Window* window, void*& display, unsigned long& xwindow)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    display = info.info.x11.display;
    xwindow = info.info.x11.window;
    return true;
}

// Under a daemon the new window becomes a child of the host window, at its size. False when the
// host window does not exist (or SDL is not on X11).
static bool moveIntoHostWindow(SDL_Window* window, unsigned long hostWindow, void*& display)
{
    unsigned long own = 0;
    int width = 0, height = 0;
    if (!x11Handles(window, display, own) || !hostWindowSize(display, hostWindow, width, height)) return false;
    SDL_SetWindowSize(window, width, height);
    adoptIntoHostWindow(display, own, hostWindow);
    return true;
}

bool EngineApp::createWindow()
{
    SDL_DisplayMode desktop{};
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
    if (desktop.w <= 0 || desktop.h <= 0) return false;
    if (!hostWindow) SDL_ShowCursor(SDL_DISABLE);
    setColourAttributes(SDL_BITSPERPIXEL(desktop.format));
    const Uint32 flags = hostWindow ? SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN
                                    : SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS |
                                          SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_HIDDEN;
    // A 32-bit depth buffer first; many drivers offer only 24.
    for (int depth : {32, 24}) {
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
        window = SDL_CreateWindow(windowTitle, 0, 0, desktop.w, desktop.h, flags);
        if (!window) continue;
        if (hostWindow && !moveIntoHostWindow(window, hostWindow, xDisplay)) {
            SDL_DestroyWindow(window);
            window = nullptr;
            return false;
        }
        glContext = SDL_GL_CreateContext(window);
        if (glContext) break;
        SDL_DestroyWindow(window);
        window = nullptr;
    }
    if (!window) return false;

    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    resizeView(w, h);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    // The display's ramp is the daemon's business while it lends us a window.
    if (!hostWindow) rampSaved = SDL_GetWindowGammaRamp(window, &savedRamp[0], &savedRamp[256], &savedRamp[512]) == 0;
    return true;
}

bool EngineApp::followHostWindow()
{
    constexpr double kHostWindowCheckSeconds = 0.25;
    // Errors since the last look (the frame just drawn went to a window that is no longer
    // there) call for a look now: a software renderer may take a long time over each frame
    // drawn into nothing.
    if (!takeLoggedXErrors() && hostCheckedAt >= 0.0 && timer.currentTime - hostCheckedAt < kHostWindowCheckSeconds)
        return true;
    hostCheckedAt = timer.currentTime;
    int width = 0, height = 0;
    if (!hostWindowSize(xDisplay, hostWindow, width, height)) return false;
    if (width != viewSize().width || height != viewSize().height) {
        SDL_SetWindowSize(window, width, height);
        resized(width, height);
    }
    return true;
}

void EngineApp::resizeView(int width, int height)
{
    setViewSize(width, height);
    ViewportSize view = viewportFor(viewSize().width, viewSize().height);
    glViewport(0, 0, view.width, view.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfViewDegrees, view.aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void EngineApp::applyGamma()
{
    if (!window || hostWindow) return;
    GammaRamp ramp = buildGammaRamp(gammaFactor);
    SDL_SetWindowGammaRamp(window, &ramp[0], &ramp[256], &ramp[512]);   // a refusal keeps the display's own
}

void EngineApp::restoreGamma()
{
    if (!window || !rampSaved) return;
    if (displayLost) {
        // The ramp belonged to the display that went away; SDL would only report its own copy.
        rampSaved = false;
        logLine("display gamma not restored: the display is gone");
        return;
    }
    SDL_SetWindowGammaRamp(window, &savedRamp[0], &savedRamp[256], &savedRamp[512]);
    rampSaved = false;
    GammaRamp now{};
    if (SDL_GetWindowGammaRamp(window, &now[0], &now[256], &now[512]) == 0)
        logLine(now == savedRamp ? "display gamma restored" : "display gamma could not be restored");
}

void EngineApp::destroyWindow()
{
    restoreGamma();
    // The daemon may have taken its window, and ours with it, before we got here.
    int width = 0, height = 0;
    if (hostWindow && !hostWindowSize(xDisplay, hostWindow, width, height)) {
        quietXErrors(true);
        // Our window went with it, unmapped without a word to us: SDL would wait for that word.
        void* display = nullptr;
        unsigned long own = 0;
        if (window && x11Handles(window, display, own)) queueUnmapOfVanishedWindow(display, own);
    }
    if (window) {
        if (glContext) {
            SDL_GL_MakeCurrent(window, nullptr);
            SDL_GL_DeleteContext(glContext);
            glContext = nullptr;
        }
        SDL_DestroyWindow(window);
        window = nullptr;
        // Errors about a window that is gone already must reach our handler, not the one SDL
        // puts back when it closes the display.
        if (hostWindow) syncX(xDisplay);
    }
    if (!hostWindow) SDL_ShowCursor(SDL_ENABLE);
}

void EngineApp::beginOverlay2D()
{
    Matrix4 ortho = overlayMatrix(static_cast<unsigned>(viewSize().width), static_cast<unsigned>(viewSize().height));
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMultMatrixf(ortho.data());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void EngineApp::endOverlay2D()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void EngineApp::swapBuffers()
{
    if (!window) return;
    if (offscreenDriver) glFinish();   // the EGL back end presents nothing without it
    SDL_GL_SwapWindow(window);
}

void EngineApp::stopOnError()
{
    if (window) {
        SDL_SetWindowAlwaysOnTop(window, SDL_FALSE);
        SDL_MinimizeWindow(window);
    }
    running = false;
}
