// The engine's window on a display server: the window or surface, its OpenGL context, the swap,
// the input that reaches it and the display's gamma ramp, behind one interface with a back end
// for each server. The X11 one goes through SDL and also draws into a window a screensaver daemon
// lends; the Wayland one talks to the compositor itself. Nothing outside this folder includes a
// display server's header.
#pragma once

#include "base/gamma.h"

#include <memory>
#include <optional>
#include <string>

// The keys the engine acts on; every other key is Other, which the engine ignores, as on X11.
enum class WindowKey { Other, Escape, Space, F1, Left, Up, Right, Down, T, F, S };

struct WindowEvent {
    enum class Type {
        Key,           // key, alt
        PointerEnter,  // x, y: where the pointer first showed itself over the view
        PointerMotion, // x, y
        Button,        // button: 1 left, 2 middle, 3 right, 0 any other
        Wheel,
        Resized,       // x, y: the view's new size in pixels
        Close,         // the window or surface was closed, or its output went away
    };
    Type type = Type::Close;
    WindowKey key = WindowKey::Other;
    bool alt = false;   // a key held with Alt belongs to the desktop
    int x = 0, y = 0;
    int button = 0;
};

struct WindowRequest {
    const char* title = "Window";
    // The window a screensaver daemon lent (X11 only), 0 for a window of our own.
    unsigned long hostWindow = 0;
    // The output to cover, by the compositor's name (Wayland); empty: the compositor's choice.
    std::string outputName;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // "x11" or "wayland", for the log.
    virtual const char* name() const = 0;
    // The window at the output's size with a current OpenGL context, not yet shown; false when
    // either cannot be made (the reason is logged).
    virtual bool create(const WindowRequest& request) = 0;
    virtual void show() = 0;
    virtual void destroy() = 0;
    // The size of the picture in pixels, and how many of them make one point of the desktop's
    // (2 on a doubled output): overlays scale by it to keep their size on the screen.
    virtual int pixelWidth() const = 0;
    virtual int pixelHeight() const = 0;
    virtual double scale() const { return 1.0; }

    // The next waiting event without blocking; false when none waits.
    virtual bool nextEvent(WindowEvent& event) = 0;
    // Whether the next frame may be drawn now. A compositor that shows nothing of the surface
    // (covered, or its output off) asks for no frame: this waits up to timeoutMs for its word,
    // handling the events that come meanwhile, and says false if none came.
    // On X11 the same holds while the window is fully covered or the monitor is powered down.
    virtual bool frameWanted(int timeoutMs) = 0;
    // Why frameWanted said no, for the log.
    virtual const char* hiddenReason() const { return "nothing of the view is seen"; }
    // Waits up to timeoutMs for an event, doing nothing else (a still picture needs no frames).
    virtual void waitForEvents(int timeoutMs) = 0;
    // The output's refresh rate in frames a second; 0 where it is not known.
    virtual double refreshRate() const { return 0.0; }
    virtual void swap() = 0;
    virtual void setSwapInterval(int interval) = 0;

    // The display's gamma ramp, where the server has one the engine may set (X11's own window);
    // elsewhere the picture itself carries the gamma.
    virtual bool hasGammaRamp() const { return false; }
    virtual bool gammaRamp(GammaRamp&) { return false; }
    virtual bool setGammaRamp(const GammaRamp&) { return false; }

    virtual void showCursor(bool) {}
    // Puts the pointer in the middle of the view, drops the motion that was queued before, and
    // gives where the pointer is now; false where a client may not move the pointer (Wayland),
    // whose start is the first PointerEnter.
    virtual bool centrePointer(int&, int&) { return false; }
    // A failed run's window steps out of the way for the message box: out of the topmost band
    // and minimised.
    virtual void stepAside() {}
    // Under a daemon's lent window: whether it still exists, and its size (in pixels), looked at
    // no more than a few times a second unless drawing raised errors. Always true elsewhere.
    virtual bool followHost(double now, int& width, int& height)
    {
        (void)now, (void)width, (void)height;
        return true;
    }
    // The display went away under the engine: nothing may touch it again, and the saved ramp is
    // dropped with a word in the log.
    virtual void displayLost() {}
    // Last of all, after destroy(): the back end's library lets go of the display.
    virtual void shutdown() {}
};

enum class BackendKind { X11, Wayland };

// Wayland when WAYLAND_DISPLAY is set, X11 otherwise; ZERO_BACKEND (x11 or wayland) decides
// over both. A lent window is always X11's. nullopt with error set for any other ZERO_BACKEND.
std::optional<BackendKind> chooseBackend(const char* zeroBackend, const char* waylandDisplay, bool lentWindow,
                                         std::string& error);

std::unique_ptr<WindowBackend> makeWindowBackend(BackendKind kind);

// X errors and a broken connection to the X server: see x_errors.h. The handler that ends the
// process after a lost display is installed through this, before the window exists.
void installDisplayLossHandling(void (*displayLost)());
