// The Wayland back end's one window, shared by the files that make it up: the registry and the
// outputs (wayland_registry.cpp), the surface with its role, size, scale and EGL context
// (wayland_surface.cpp), input (wayland_input.cpp), and the connection and the seam itself
// (wayland_window.cpp). Together they are the only code that talks to the compositor.
#pragma once

#include "window/wayland_window.h"

#include <epoxy/egl.h>
#include <fractional-scale-v1-client.h>
#include <layer-shell-client.h>
#include <linux/input-event-codes.h>
#include <viewporter-client.h>
#include <wayland-client.h>
#include <wayland-egl.h>
#include <xdg-output-unstable-v1-client.h>
#include <xdg-shell-client.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

namespace wayland_backend {

// The highest version of each global whose events this file handles.
constexpr uint32_t kCompositorVersion = 4;
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kOutputVersion = 4;
constexpr uint32_t kLayerShellVersion = 4;
constexpr uint32_t kWmBaseVersion = 4;
constexpr uint32_t kXdgOutputManagerVersion = 3;
// wp_fractional_scale_v1 gives the scale in 120ths.
constexpr double kFractionalScaleDenominator = 120.0;
// Roundtrips allowed for the compositor's first configure before the surface counts as refused.
constexpr int kConfigureRoundtrips = 10;

class WaylandWindow;

struct Output {
    WaylandWindow* window = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    uint32_t globalName = 0;
    std::string name;   // the compositor's name (HEADLESS-1, DP-2), empty until told
    int scale = 1;
    int modeWidth = 0, modeHeight = 0;   // the current mode in pixels
    int refreshMilliHz = 0;              // the current mode's refresh rate, 0 where not told
};

const char* eglErrorText(EGLint error);
// An output's objects let go of, and the output with them.
void releaseOutput(Output* output);

class WaylandWindow final : public WindowBackend {
public:
    ~WaylandWindow() override
    {
        destroy();
        shutdown();
    }

    const char* name() const override { return "wayland"; }
    bool create(const WindowRequest& request) override;
    void show() override;
    void destroy() override;
    void shutdown() override;
    int pixelWidth() const override { return bufferWidth; }
    int pixelHeight() const override { return bufferHeight; }
    double scale() const override { return pixelsPerPoint(); }
    bool nextEvent(WindowEvent& event) override;
    bool frameWanted(int timeoutMs) override;
    const char* hiddenReason() const override { return "the compositor asks for no frames"; }
    void waitForEvents(int timeoutMs) override;
    double refreshRate() const override;
    void swap() override;
    void setSwapInterval(int interval) override { swapInterval = interval; }

private:
    enum class Pump { Read, TimedOut, Interrupted, Lost };

    bool connect();
    bool findOutput(const std::string& wanted);
    bool makeSurface(const WindowRequest& request);
    bool waitForConfigure();
    bool makeContext();
    Pump pump(int timeoutMs);
    void connectionLost();
    void push(WindowEvent::Type type, int x = 0, int y = 0);
    void pushClose(const char* why);
    double pixelsPerPoint() const;
    Output* currentOutput() const;
    void applySize(int logicalWidth, int logicalHeight);
    void refreshScale();
    void announce();
    void bindOutput(uint32_t globalName, uint32_t version);
    void watchXdgOutput(Output& output);
    void removeGlobal(uint32_t globalName);
    void updateCapabilities(uint32_t capabilities);

    // Registry, outputs and the seat.
    static void onGlobal(void* data, wl_registry* registry, uint32_t globalName, const char* interface,
                         uint32_t version);
    static void onGlobalRemove(void* data, wl_registry* registry, uint32_t globalName);
    static void onOutputGeometry(void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                                 const char*, int32_t) {}
    static void onOutputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t);
    static void onOutputDone(void* data, wl_output*);
    static void onOutputScale(void* data, wl_output* output, int32_t factor);
    static void onOutputName(void* data, wl_output* output, const char* name);
    static void onOutputDescription(void*, wl_output*, const char*) {}
    static void onXdgOutputPosition(void*, zxdg_output_v1*, int32_t, int32_t) {}
    static void onXdgOutputSize(void*, zxdg_output_v1*, int32_t, int32_t) {}
    static void onXdgOutputDone(void*, zxdg_output_v1*) {}
    static void onXdgOutputName(void* data, zxdg_output_v1* output, const char* name);
    static void onXdgOutputDescription(void*, zxdg_output_v1*, const char*) {}
    static void onPing(void* data, xdg_wm_base* base, uint32_t serial);
    static void onSeatCapabilities(void* data, wl_seat* seat, uint32_t capabilities);
    static void onSeatName(void*, wl_seat*, const char*) {}

    // The surface and its role.
    static void onSurfaceEnter(void* data, wl_surface* surface, wl_output* output);
    static void onSurfaceLeave(void* data, wl_surface* surface, wl_output* output);
    static void onLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                                 uint32_t height);
    static void onLayerClosed(void* data, zwlr_layer_surface_v1* layer);
    static void onXdgSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial);
    static void onToplevelConfigure(void* data, xdg_toplevel* toplevel, int32_t width, int32_t height,
                                    wl_array* states);
    static void onToplevelClose(void* data, xdg_toplevel* toplevel);
    static void onToplevelBounds(void*, xdg_toplevel*, int32_t, int32_t) {}
    static void onToplevelCapabilities(void*, xdg_toplevel*, wl_array*) {}
    static void onPreferredScale(void* data, wp_fractional_scale_v1* fractional, uint32_t scale);
    static void onFrameDone(void* data, wl_callback* callback, uint32_t time);

    // Input.
    static void onKeymap(void* data, wl_keyboard* keyboard, uint32_t format, int32_t fd, uint32_t size);
    static void onKeyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
    static void onKeyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    static void onKey(void* data, wl_keyboard* keyboard, uint32_t serial, uint32_t time, uint32_t key,
                      uint32_t state);
    static void onModifiers(void* data, wl_keyboard* keyboard, uint32_t serial, uint32_t depressed,
                            uint32_t latched, uint32_t locked, uint32_t group);
    static void onRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
    static void onPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                               wl_fixed_t x, wl_fixed_t y);
    static void onPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
    static void onPointerMotion(void* data, wl_pointer* pointer, uint32_t time, wl_fixed_t x, wl_fixed_t y);
    static void onPointerButton(void* data, wl_pointer* pointer, uint32_t serial, uint32_t time, uint32_t button,
                                uint32_t state);
    static void onPointerAxis(void* data, wl_pointer* pointer, uint32_t time, uint32_t axis, wl_fixed_t value);
    static void onPointerFrame(void*, wl_pointer*) {}
    static void onPointerAxisSource(void*, wl_pointer*, uint32_t) {}
    static void onPointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
    static void onPointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
    static void onPointerAxis120(void*, wl_pointer*, uint32_t, int32_t) {}

    static const wl_registry_listener registryListener;
    static const wl_output_listener outputListener;
    static const zxdg_output_v1_listener xdgOutputListener;
    static const xdg_wm_base_listener wmBaseListener;
    static const wl_seat_listener seatListener;
    static const wl_surface_listener surfaceListener;
    static const zwlr_layer_surface_v1_listener layerListener;
    static const xdg_surface_listener xdgSurfaceListener;
    static const xdg_toplevel_listener toplevelListener;
    static const wp_fractional_scale_v1_listener fractionalListener;
    static const wl_callback_listener frameListener;
    static const wl_keyboard_listener keyboardListener;
    static const wl_pointer_listener pointerListener;

    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    wl_seat* seat = nullptr;
    uint32_t seatGlobal = 0;
    wl_keyboard* keyboard = nullptr;
    wl_pointer* pointer = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalManager = nullptr;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    std::vector<Output*> outputs;   // owned; addresses stay put as listeners' data

    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layerSurface = nullptr;
    xdg_surface* xdgSurface = nullptr;
    xdg_toplevel* toplevel = nullptr;
    wp_viewport* viewport = nullptr;
    wp_fractional_scale_v1* fractionalScale = nullptr;
    wl_callback* frameCallback = nullptr;

    EGLDisplay eglDisplay = EGL_NO_DISPLAY;
    EGLContext eglContext = EGL_NO_CONTEXT;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    wl_egl_window* eglWindow = nullptr;

    xkb_context* xkbContext = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* keyState = nullptr;

    std::deque<WindowEvent> events;
    Output* chosen = nullptr;    // the output asked for; null: the compositor's choice
    Output* entered = nullptr;   // the output the surface is shown on
    int logicalWidth = 0, logicalHeight = 0;
    int toplevelWidth = 0, toplevelHeight = 0;   // the size in the xdg_toplevel configure under way
    int integerScale = 1;
    double fractionalFactor = 0.0;   // the compositor's preferred scale, 0 until told
    int bufferWidth = 0, bufferHeight = 0;
    int appliedBufferScale = 1;      // the buffer scale last sent to the surface
    bool configured = false;
    bool frameDone = true;           // no frame drawn yet counts as asked for
    bool closed = false;             // the compositor took the surface down
    bool lost = false;
    bool announced = false;
    bool closeQueued = false;
    bool swapFailureLogged = false;
    // What the engine asked for; the frame callback is the vertical sync whatever it says.
    int swapInterval = 1;
};

} // namespace wayland_backend
