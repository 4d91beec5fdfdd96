// The X11 back end through SDL2: the full-screen window or a child of a daemon's window, its GL
// context, the gamma ramp, and SDL's events turned into the engine's.
#include "window/x11_window.h"

#include "base/messages.h"
#include "window/view_visibility.h"
#include "window/x_errors.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <SDL_syswm.h>
#include <cstring>

namespace {

void setColourAttributes(int colourBits)
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
bool x11Handles(SDL_Window* window, void*& display, unsigned long& xwindow)
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
bool moveIntoHostWindow(SDL_Window* window, unsigned long hostWindow, void*& display)
{
    unsigned long own = 0;
    int width = 0, height = 0;
    if (!x11Handles(window, display, own) || !hostWindowSize(display, hostWindow, width, height)) return false;
    SDL_SetWindowSize(window, width, height);
    adoptIntoHostWindow(display, own, hostWindow);
    return true;
}

WindowKey keyOf(SDL_Keycode sym)
{
    switch (sym) {
    case SDLK_ESCAPE: return WindowKey::Escape;
    case SDLK_SPACE: return WindowKey::Space;
    case SDLK_F1: return WindowKey::F1;
    case SDLK_LEFT: return WindowKey::Left;
    case SDLK_UP: return WindowKey::Up;
    case SDLK_RIGHT: return WindowKey::Right;
    case SDLK_DOWN: return WindowKey::Down;
    case SDLK_t: return WindowKey::T;
    case SDLK_f: return WindowKey::F;
    case SDLK_s: return WindowKey::S;
    default: return WindowKey::Other;
    }
}

int buttonOf(uint8_t button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_RIGHT: return 3;
    default: return 0;
    }
}

class X11Window final : public WindowBackend {
public:
    X11Window()
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
        const char* driver = SDL_GetCurrentVideoDriver();
        offscreenDriver_ = driver && std::strcmp(driver, "offscreen") == 0;
    }

    const char* name() const override { return "x11"; }

    bool create(const WindowRequest& request) override
    {
        hostWindow_ = request.hostWindow;
        SDL_DisplayMode desktop{};
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
        if (desktop.w <= 0 || desktop.h <= 0) return false;
        if (!hostWindow_) SDL_ShowCursor(SDL_DISABLE);
        setColourAttributes(SDL_BITSPERPIXEL(desktop.format));
        const Uint32 flags = hostWindow_ ? SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN
                                         : SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS |
                                               SDL_WINDOW_ALWAYS_ON_TOP | SDL_WINDOW_HIDDEN;
        // A 32-bit depth buffer first; many drivers offer only 24.
        for (int depth : {32, 24}) {
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
            window_ = SDL_CreateWindow(request.title, 0, 0, desktop.w, desktop.h, flags);
            if (!window_) continue;
            if (hostWindow_ && !moveIntoHostWindow(window_, hostWindow_, xDisplay_)) {
                SDL_DestroyWindow(window_);
                window_ = nullptr;
                return false;
            }
            context_ = SDL_GL_CreateContext(window_);
            if (context_) break;
            SDL_DestroyWindow(window_);
            window_ = nullptr;
        }
        if (!window_) return false;
        SDL_GetWindowSize(window_, &width_, &height_);
        // Covered or not comes as an X event of the window's own, through SDL's window-system events.
        unsigned long own = 0;
        if (x11Handles(window_, xDisplay_, own)) {
            SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
            watchVisibility(xDisplay_, own);
        }
        return true;
    }

    void show() override
    {
        if (window_) SDL_ShowWindow(window_);
    }

    void destroy() override
    {
        // The daemon may have taken its window, and ours with it, before we got here.
        int width = 0, height = 0;
        if (hostWindow_ && !hostWindowSize(xDisplay_, hostWindow_, width, height)) {
            quietXErrors(true);
            // Our window went with it, unmapped without a word to us: SDL would wait for that word.
            void* display = nullptr;
            unsigned long own = 0;
            if (window_ && x11Handles(window_, display, own)) queueUnmapOfVanishedWindow(display, own);
        }
        if (window_) {
            if (context_) {
                SDL_GL_MakeCurrent(window_, nullptr);
                SDL_GL_DeleteContext(context_);
                context_ = nullptr;
            }
            SDL_DestroyWindow(window_);
            window_ = nullptr;
            // Errors about a window that is gone already must reach our handler, not the one SDL
            // puts back when it closes the display.
            if (hostWindow_) syncX(xDisplay_);
        }
        if (!hostWindow_) SDL_ShowCursor(SDL_ENABLE);
    }

    int pixelWidth() const override { return width_; }
    int pixelHeight() const override { return height_; }

    bool nextEvent(WindowEvent& out) override
    {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (translate(event, out)) return true;
        }
        return false;
    }

    // Nobody sees a covered window or a dark monitor: no frame then, and the wait ends early when
    // an event comes (the window shown again among them).
    bool frameWanted(int timeoutMs) override
    {
        if (visibility_.seen(SDL_GetTicks64() / 1000.0)) return true;
        SDL_WaitEventTimeout(nullptr, timeoutMs);
        return false;
    }
    const char* hiddenReason() const override { return visibility_.reason(); }

    void waitForEvents(int timeoutMs) override { SDL_WaitEventTimeout(nullptr, timeoutMs); }

    double refreshRate() const override
    {
        SDL_DisplayMode mode{};
        const int display = window_ ? SDL_GetWindowDisplayIndex(window_) : 0;
        return SDL_GetCurrentDisplayMode(display < 0 ? 0 : display, &mode) == 0 ? mode.refresh_rate : 0.0;
    }

    void swap() override
    {
        if (!window_) return;
        if (offscreenDriver_) glFinish();   // the EGL driver presents nothing without it
        SDL_GL_SwapWindow(window_);
    }

    void setSwapInterval(int interval) override { SDL_GL_SetSwapInterval(interval); }   // a refusal is ignored

    bool hasGammaRamp() const override { return window_ && !hostWindow_; }
    bool gammaRamp(GammaRamp& ramp) override
    {
        return hasGammaRamp() && !lost_ && SDL_GetWindowGammaRamp(window_, &ramp[0], &ramp[256], &ramp[512]) == 0;
    }
    bool setGammaRamp(const GammaRamp& ramp) override
    {
        return hasGammaRamp() && !lost_ && SDL_SetWindowGammaRamp(window_, &ramp[0], &ramp[256], &ramp[512]) == 0;
    }

    void showCursor(bool shown) override { SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE); }

    bool centrePointer(int& x, int& y) override
    {
        // Under a daemon the pointer is the daemon's: where it is stays the start.
        if (window_ && !hostWindow_) {
            SDL_WarpMouseInWindow(window_, width_ / 2, height_ / 2);
            SDL_PumpEvents();
            SDL_FlushEvent(SDL_MOUSEMOTION);
        }
        SDL_GetMouseState(&x, &y);
        return true;
    }

    void stepAside() override
    {
        if (!window_) return;
        SDL_SetWindowAlwaysOnTop(window_, SDL_FALSE);
        SDL_MinimizeWindow(window_);
    }

    bool followHost(double now, int& width, int& height) override
    {
        if (!hostWindow_) return true;
        constexpr double kHostWindowCheckSeconds = 0.25;
        // Errors since the last look (the frame just drawn went to a window that is no longer
        // there) call for a look now: a software renderer may take a long time over each frame
        // drawn into nothing.
        if (!takeLoggedXErrors() && hostCheckedAt_ >= 0.0 && now - hostCheckedAt_ < kHostWindowCheckSeconds) {
            width = width_;
            height = height_;
            return true;
        }
        hostCheckedAt_ = now;
        if (!hostWindowSize(xDisplay_, hostWindow_, width, height)) return false;
        if (width != width_ || height != height_) {
            SDL_SetWindowSize(window_, width, height);
            width_ = width;
            height_ = height;
        }
        return true;
    }

    void displayLost() override { lost_ = true; }

private:
    bool translate(const SDL_Event& event, WindowEvent& out)
    {
        switch (event.type) {
        case SDL_QUIT: out.type = WindowEvent::Type::Close; return true;
        case SDL_KEYDOWN:
            out.type = WindowEvent::Type::Key;
            out.key = keyOf(event.key.keysym.sym);
            out.alt = (event.key.keysym.mod & KMOD_ALT) != 0;
            return true;
        case SDL_MOUSEMOTION:
            out.type = WindowEvent::Type::PointerMotion;
            out.x = event.motion.x;
            out.y = event.motion.y;
            return true;
        case SDL_MOUSEBUTTONDOWN:
            out.type = WindowEvent::Type::Button;
            out.button = buttonOf(event.button.button);
            return true;
        case SDL_MOUSEWHEEL: out.type = WindowEvent::Type::Wheel; return true;
        case SDL_SYSWMEVENT:
            // Covered once nothing of the window shows. A part still showing is looked at: a daemon's
            // window may hold windows of its own beside ours, so a partial cover says nothing of
            // whether anybody sees the picture.
            if (event.syswm.msg->subsystem == SDL_SYSWM_X11 && event.syswm.msg->msg.x11.event.type == VisibilityNotify)
                visibility_.setCovered(event.syswm.msg->msg.x11.event.xvisibility.state == VisibilityFullyObscured);
            return false;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                out.type = WindowEvent::Type::Close;
                return true;
            }
            if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                width_ = event.window.data1;
                height_ = event.window.data2;
                out.type = WindowEvent::Type::Resized;
                out.x = width_;
                out.y = height_;
                return true;
            }
            return false;
        default: return false;
        }
    }

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    bool offscreenDriver_ = false;   // SDL's EGL driver without an X server
    bool lost_ = false;
    unsigned long hostWindow_ = 0;
    void* xDisplay_ = nullptr;   // the X display of our window, for questions about the host window
    double hostCheckedAt_ = -1.0;
    int width_ = 0, height_ = 0;
    ViewVisibility visibility_{[this] { return !lost_ && monitorPoweredDown(xDisplay_); }};
};

} // namespace

std::unique_ptr<WindowBackend> makeX11Window() { return std::make_unique<X11Window>(); }
