// The window seam on Wayland: the one file that talks to the compositor. It owns the display
// connection, the outputs, the seat, one surface (layer shell, else xdg_toplevel) and its EGL
// context; frames are drawn only when the compositor's frame callback asks for them.
#include "window/wayland_window.h"

#include "base/messages.h"

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

namespace {

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
};

const char* eglErrorText(EGLint error)
{
    switch (error) {
    case EGL_SUCCESS: return "EGL_SUCCESS";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return "an unknown EGL error";
    }
}

WindowKey keyFor(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_Escape: return WindowKey::Escape;
    case XKB_KEY_space: return WindowKey::Space;
    case XKB_KEY_F1: return WindowKey::F1;
    case XKB_KEY_Left: return WindowKey::Left;
    case XKB_KEY_Up: return WindowKey::Up;
    case XKB_KEY_Right: return WindowKey::Right;
    case XKB_KEY_Down: return WindowKey::Down;
    case XKB_KEY_t:
    case XKB_KEY_T: return WindowKey::T;
    case XKB_KEY_f:
    case XKB_KEY_F: return WindowKey::F;
    case XKB_KEY_s:
    case XKB_KEY_S: return WindowKey::S;
    default: return WindowKey::Other;
    }
}

int buttonFor(uint32_t code)
{
    switch (code) {
    case BTN_LEFT: return 1;
    case BTN_MIDDLE: return 2;
    case BTN_RIGHT: return 3;
    default: return 0;
    }
}

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

const wl_registry_listener WaylandWindow::registryListener = {
    .global = onGlobal,
    .global_remove = onGlobalRemove,
};
const wl_output_listener WaylandWindow::outputListener = {
    .geometry = onOutputGeometry,
    .mode = onOutputMode,
    .done = onOutputDone,
    .scale = onOutputScale,
    .name = onOutputName,
    .description = onOutputDescription,
};
const zxdg_output_v1_listener WaylandWindow::xdgOutputListener = {
    .logical_position = onXdgOutputPosition,
    .logical_size = onXdgOutputSize,
    .done = onXdgOutputDone,
    .name = onXdgOutputName,
    .description = onXdgOutputDescription,
};
const xdg_wm_base_listener WaylandWindow::wmBaseListener = {.ping = onPing};
const wl_seat_listener WaylandWindow::seatListener = {
    .capabilities = onSeatCapabilities,
    .name = onSeatName,
};
const wl_surface_listener WaylandWindow::surfaceListener = {
    .enter = onSurfaceEnter,
    .leave = onSurfaceLeave,
};
const zwlr_layer_surface_v1_listener WaylandWindow::layerListener = {
    .configure = onLayerConfigure,
    .closed = onLayerClosed,
};
const xdg_surface_listener WaylandWindow::xdgSurfaceListener = {.configure = onXdgSurfaceConfigure};
const xdg_toplevel_listener WaylandWindow::toplevelListener = {
    .configure = onToplevelConfigure,
    .close = onToplevelClose,
    .configure_bounds = onToplevelBounds,
    .wm_capabilities = onToplevelCapabilities,
};
const wp_fractional_scale_v1_listener WaylandWindow::fractionalListener = {.preferred_scale = onPreferredScale};
const wl_callback_listener WaylandWindow::frameListener = {.done = onFrameDone};
const wl_keyboard_listener WaylandWindow::keyboardListener = {
    .keymap = onKeymap,
    .enter = onKeyboardEnter,
    .leave = onKeyboardLeave,
    .key = onKey,
    .modifiers = onModifiers,
    .repeat_info = onRepeatInfo,
};
const wl_pointer_listener WaylandWindow::pointerListener = {
    .enter = onPointerEnter,
    .leave = onPointerLeave,
    .motion = onPointerMotion,
    .button = onPointerButton,
    .axis = onPointerAxis,
    .frame = onPointerFrame,
    .axis_source = onPointerAxisSource,
    .axis_stop = onPointerAxisStop,
    .axis_discrete = onPointerAxisDiscrete,
    .axis_value120 = onPointerAxis120,
};

// ---------------------------------------------------------------------------------------------
// Registry, outputs, seat

void WaylandWindow::onGlobal(void* data, wl_registry* registry, uint32_t globalName, const char* interface,
                             uint32_t version)
{
    auto* self = static_cast<WaylandWindow*>(data);
    auto bind = [&](const wl_interface* wanted, uint32_t highest) {
        return wl_registry_bind(registry, globalName, wanted, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->compositor) {
        self->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat) {
        self->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, kSeatVersion));
        self->seatGlobal = globalName;
        wl_seat_add_listener(self->seat, &seatListener, self);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        self->bindOutput(globalName, version);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !self->layerShell) {
        self->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, kLayerShellVersion));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !self->wmBase) {
        self->wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, kWmBaseVersion));
        xdg_wm_base_add_listener(self->wmBase, &wmBaseListener, self);
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && !self->viewporter) {
        self->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
               !self->fractionalManager) {
        self->fractionalManager =
            static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !self->xdgOutputManager) {
        self->xdgOutputManager =
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, kXdgOutputManagerVersion));
        for (Output* output : self->outputs) self->watchXdgOutput(*output);
    }
}

void WaylandWindow::bindOutput(uint32_t globalName, uint32_t version)
{
    auto* output = new Output;
    output->window = this;
    output->globalName = globalName;
    output->output = static_cast<wl_output*>(
        wl_registry_bind(registry, globalName, &wl_output_interface, std::min(version, kOutputVersion)));
    wl_output_add_listener(output->output, &outputListener, output);
    outputs.push_back(output);
    watchXdgOutput(*output);
}

// Where wl_output is older than version 4 its name comes from xdg-output.
void WaylandWindow::watchXdgOutput(Output& output)
{
    if (!xdgOutputManager || output.xdgOutput || wl_output_get_version(output.output) >= WL_OUTPUT_NAME_SINCE_VERSION)
        return;
    if (zxdg_output_manager_v1_get_version(xdgOutputManager) < ZXDG_OUTPUT_V1_NAME_SINCE_VERSION) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
}

static void releaseOutput(Output* output)
{
    if (output->xdgOutput) zxdg_output_v1_destroy(output->xdgOutput);
    if (wl_output_get_version(output->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(output->output);
    else wl_output_destroy(output->output);
    delete output;
}

void WaylandWindow::onGlobalRemove(void* data, wl_registry*, uint32_t globalName)
{
    static_cast<WaylandWindow*>(data)->removeGlobal(globalName);
}

void WaylandWindow::removeGlobal(uint32_t globalName)
{
    if (seat && globalName == seatGlobal) {
        updateCapabilities(0);
        wl_seat_destroy(seat);
        seat = nullptr;
        return;
    }
    auto it = std::find_if(outputs.begin(), outputs.end(), [&](Output* o) { return o->globalName == globalName; });
    if (it == outputs.end()) return;
    Output* output = *it;
    outputs.erase(it);
    const bool ours = surface && (output == chosen || output == entered);
    if (output == chosen) chosen = nullptr;
    if (output == entered) entered = nullptr;
    if (ours) {
        logLine("wayland: output %s went away", output->name.empty() ? "(unnamed)" : output->name.c_str());
        pushClose(nullptr);
    }
    releaseOutput(output);
}

static Output* outputOf(void* data) { return static_cast<Output*>(data); }

void WaylandWindow::onOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    outputOf(data)->modeWidth = width;
    outputOf(data)->modeHeight = height;
}

void WaylandWindow::onOutputScale(void* data, wl_output*, int32_t factor)
{
    outputOf(data)->scale = std::max(1, factor);
}

void WaylandWindow::onOutputName(void* data, wl_output*, const char* name) { outputOf(data)->name = name; }

void WaylandWindow::onXdgOutputName(void* data, zxdg_output_v1*, const char* name)
{
    if (outputOf(data)->name.empty()) outputOf(data)->name = name;
}

// A new scale of the output the surface is on takes effect with the output's done.
void WaylandWindow::onOutputDone(void* data, wl_output*)
{
    WaylandWindow* self = outputOf(data)->window;
    if (self->surface && outputOf(data) == self->currentOutput()) self->refreshScale();
}

void WaylandWindow::onPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }

void WaylandWindow::onSeatCapabilities(void* data, wl_seat*, uint32_t capabilities)
{
    static_cast<WaylandWindow*>(data)->updateCapabilities(capabilities);
}

void WaylandWindow::updateCapabilities(uint32_t capabilities)
{
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasKeyboard && !keyboard) {
        keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(keyboard, &keyboardListener, this);
    } else if (!hasKeyboard && keyboard) {
        if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) wl_keyboard_release(keyboard);
        else wl_keyboard_destroy(keyboard);
        keyboard = nullptr;
    }
    if (hasPointer && !pointer) {
        pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(pointer, &pointerListener, this);
    } else if (!hasPointer && pointer) {
        if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) wl_pointer_release(pointer);
        else wl_pointer_destroy(pointer);
        pointer = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// The surface, its role, its size and scale

Output* WaylandWindow::currentOutput() const { return entered ? entered : chosen; }

// Pixels per point of the desktop: the compositor's fractional scale where it gives one (the
// viewport then maps the buffer onto the logical size), else the output's integer scale.
double WaylandWindow::pixelsPerPoint() const
{
    if (viewport && fractionalFactor > 0.0) return fractionalFactor;
    return integerScale;
}

void WaylandWindow::applySize(int width, int height)
{
    const bool newLogical = width != logicalWidth || height != logicalHeight;
    logicalWidth = width;
    logicalHeight = height;
    if (newLogical && surface && compositor) {
        wl_region* region = wl_compositor_create_region(compositor);
        wl_region_add(region, 0, 0, width, height);
        wl_surface_set_opaque_region(surface, region);
        wl_region_destroy(region);
        if (viewport) wp_viewport_set_destination(viewport, width, height);
    }
    const double factor = pixelsPerPoint();
    const int pixelsWide = viewport ? static_cast<int>(std::lround(width * factor)) : width * integerScale;
    const int pixelsHigh = viewport ? static_cast<int>(std::lround(height * factor)) : height * integerScale;
    if (pixelsWide == bufferWidth && pixelsHigh == bufferHeight) return;
    bufferWidth = pixelsWide;
    bufferHeight = pixelsHigh;
    // Before the EGL window exists the size only waits for it; after, the engine hears of it.
    if (!eglWindow) return;
    wl_egl_window_resize(eglWindow, bufferWidth, bufferHeight, 0, 0);
    push(WindowEvent::Type::Resized, bufferWidth, bufferHeight);
}

void WaylandWindow::refreshScale()
{
    Output* output = currentOutput();
    if (!output || output->scale == integerScale) return;
    integerScale = output->scale;
    applySize(logicalWidth, logicalHeight);
}

// The one line that says where the picture went, once the compositor shows it on an output.
void WaylandWindow::announce()
{
    if (announced || !entered) return;
    announced = true;
    logLine("wayland: %s on %s, %d x %d pixels at scale %g", layerSurface ? "a layer surface" : "a full-screen window",
            entered->name.empty() ? "an unnamed output" : entered->name.c_str(), bufferWidth, bufferHeight,
            pixelsPerPoint());
}

void WaylandWindow::onSurfaceEnter(void* data, wl_surface*, wl_output* proxy)
{
    auto* self = static_cast<WaylandWindow*>(data);
    for (Output* output : self->outputs) {
        if (output->output != proxy) continue;
        self->entered = output;
        self->refreshScale();
        self->announce();
    }
}

void WaylandWindow::onSurfaceLeave(void* data, wl_surface*, wl_output* proxy)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (self->entered && self->entered->output == proxy) self->entered = nullptr;
}

// A size of 0 leaves it to us: the output's mode in points, where one is known.
static void sizeFromOutput(const Output* output, int& width, int& height)
{
    constexpr int kFallbackWidth = 640, kFallbackHeight = 480;
    width = kFallbackWidth;
    height = kFallbackHeight;
    if (!output || output->modeWidth <= 0 || output->modeHeight <= 0) return;
    width = output->modeWidth / output->scale;
    height = output->modeHeight / output->scale;
}

void WaylandWindow::onLayerConfigure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
                                     uint32_t height)
{
    auto* self = static_cast<WaylandWindow*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    int w = static_cast<int>(width), h = static_cast<int>(height);
    if (w <= 0 || h <= 0) sizeFromOutput(self->currentOutput(), w, h);
    self->configured = true;
    self->applySize(w, h);
}

void WaylandWindow::onLayerClosed(void* data, zwlr_layer_surface_v1*)
{
    auto* self = static_cast<WaylandWindow*>(data);
    self->closed = true;
    self->pushClose("wayland: the compositor closed the layer surface");
}

// xdg_toplevel's configure comes first with the size; xdg_surface's ends the sequence.
void WaylandWindow::onToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*)
{
    auto* self = static_cast<WaylandWindow*>(data);
    self->toplevelWidth = width;
    self->toplevelHeight = height;
}

void WaylandWindow::onXdgSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial)
{
    auto* self = static_cast<WaylandWindow*>(data);
    xdg_surface_ack_configure(surface, serial);
    int w = self->toplevelWidth, h = self->toplevelHeight;
    if (w <= 0 || h <= 0) {
        if (self->configured) return;   // the size we have stands
        Output* output = self->currentOutput();
        if (!output && !self->outputs.empty()) output = self->outputs[0];
        sizeFromOutput(output, w, h);
    }
    self->configured = true;
    self->applySize(w, h);
}

void WaylandWindow::onToplevelClose(void* data, xdg_toplevel*)
{
    static_cast<WaylandWindow*>(data)->pushClose("wayland: the compositor asked the window to close");
}

void WaylandWindow::onPreferredScale(void* data, wp_fractional_scale_v1*, uint32_t scale)
{
    auto* self = static_cast<WaylandWindow*>(data);
    const double factor = scale / kFractionalScaleDenominator;
    if (factor <= 0.0 || factor == self->fractionalFactor) return;
    self->fractionalFactor = factor;
    self->applySize(self->logicalWidth, self->logicalHeight);
}

void WaylandWindow::onFrameDone(void* data, wl_callback* callback, uint32_t)
{
    auto* self = static_cast<WaylandWindow*>(data);
    wl_callback_destroy(callback);
    if (callback == self->frameCallback) self->frameCallback = nullptr;
    self->frameDone = true;
}

// ---------------------------------------------------------------------------------------------
// Input

void WaylandWindow::push(WindowEvent::Type type, int x, int y)
{
    WindowEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    events.push_back(event);
}

// Close is said once, however many ways the surface goes.
void WaylandWindow::pushClose(const char* why)
{
    if (closeQueued) return;
    closeQueued = true;
    if (why) logLine("%s", why);
    push(WindowEvent::Type::Close);
}

void WaylandWindow::onKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || !self->xkbContext) {
        close(fd);
        return;
    }
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (text == MAP_FAILED) {
        logLine("wayland: cannot read the keymap (%s); every key counts as one without a name", std::strerror(errno));
        return;
    }
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(self->xkbContext, static_cast<const char*>(text),
                                                    strnlen(static_cast<const char*>(text), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!keymap) {
        logLine("wayland: the compositor's keymap does not compile; every key counts as one without a name");
        return;
    }
    xkb_state* state = xkb_state_new(keymap);
    if (!state) {
        xkb_keymap_unref(keymap);
        return;
    }
    xkb_state_unref(self->keyState);
    xkb_keymap_unref(self->keymap);
    self->keymap = keymap;
    self->keyState = state;
}

void WaylandWindow::onKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
{
    // Wayland sends no repeats (a client makes its own), so a press is a press.
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    auto* self = static_cast<WaylandWindow*>(data);
    WindowEvent event;
    event.type = WindowEvent::Type::Key;
    if (self->keyState) {
        // evdev codes are 8 below XKB's.
        constexpr uint32_t kXkbKeycodeOffset = 8;
        event.key = keyFor(xkb_state_key_get_one_sym(self->keyState, key + kXkbKeycodeOffset));
        event.alt = xkb_state_mod_name_is_active(self->keyState, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
    }
    self->events.push_back(event);
}

void WaylandWindow::onModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                                uint32_t locked, uint32_t group)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (self->keyState) xkb_state_update_mask(self->keyState, depressed, latched, locked, 0, 0, group);
}

void WaylandWindow::onPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                                   wl_fixed_t x, wl_fixed_t y)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (surface != self->surface) return;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    const double factor = self->pixelsPerPoint();
    self->push(WindowEvent::Type::PointerEnter, static_cast<int>(wl_fixed_to_double(x) * factor),
               static_cast<int>(wl_fixed_to_double(y) * factor));
}

void WaylandWindow::onPointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    auto* self = static_cast<WaylandWindow*>(data);
    const double factor = self->pixelsPerPoint();
    self->push(WindowEvent::Type::PointerMotion, static_cast<int>(wl_fixed_to_double(x) * factor),
               static_cast<int>(wl_fixed_to_double(y) * factor));
}

void WaylandWindow::onPointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state)
{
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) return;
    WindowEvent event;
    event.type = WindowEvent::Type::Button;
    event.button = buttonFor(button);
    static_cast<WaylandWindow*>(data)->events.push_back(event);
}

void WaylandWindow::onPointerAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t)
{
    static_cast<WaylandWindow*>(data)->push(WindowEvent::Type::Wheel);
}

// ---------------------------------------------------------------------------------------------
// The connection

bool WaylandWindow::connect()
{
    display = wl_display_connect(nullptr);
    if (!display) {
        const char* name = std::getenv("WAYLAND_DISPLAY");
        logLine("wayland: cannot connect to the compositor (WAYLAND_DISPLAY=%s)", name ? name : "");
        return false;
    }
    xkbContext = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, this);
    // The first roundtrip binds the globals, the second brings the outputs' names and scales
    // and the seat's capabilities.
    for (int round = 0; round < 2; ++round) {
        if (wl_display_roundtrip(display) < 0) {
            connectionLost();
            return false;
        }
    }
    if (!compositor) {
        logLine("wayland: the compositor offers no wl_compositor");
        return false;
    }
    if (!layerShell && !wmBase) {
        logLine("wayland: the compositor offers neither the layer shell nor xdg-shell");
        return false;
    }
    return true;
}

void WaylandWindow::connectionLost()
{
    if (lost) return;
    lost = true;
    const int error = display ? wl_display_get_error(display) : errno;
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        uint32_t id = 0;
        const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
        logLine("wayland: the compositor ended the connection: protocol error %u on %s@%u", code,
                interface ? interface->name : "an unknown object", id);
    } else {
        logLine("wayland: the connection to the compositor is lost (%s)", std::strerror(error ? error : EPIPE));
    }
    pushClose(nullptr);
}

// Reads and handles what the compositor sent, waiting up to timeoutMs for it (0: only what is
// there already). A signal ends the wait so that the engine sees its flag at once.
WaylandWindow::Pump WaylandWindow::pump(int timeoutMs)
{
    if (lost || !display) return Pump::Lost;
    while (wl_display_prepare_read(display) != 0) {
        if (wl_display_dispatch_pending(display) < 0) {
            connectionLost();
            return Pump::Lost;
        }
    }
    bool unsent = false;
    if (wl_display_flush(display) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(display);
            connectionLost();
            return Pump::Lost;
        }
        unsent = true;
    }
    pollfd watch{wl_display_get_fd(display), static_cast<short>(POLLIN | (unsent ? POLLOUT : 0)), 0};
    const int ready = poll(&watch, 1, timeoutMs);
    if (ready <= 0) {
        const int error = errno;
        wl_display_cancel_read(display);
        if (ready == 0) return Pump::TimedOut;
        if (error == EINTR) return Pump::Interrupted;
        connectionLost();
        return Pump::Lost;
    }
    if (!(watch.revents & (POLLIN | POLLHUP | POLLERR))) {
        wl_display_cancel_read(display);
        return Pump::Read;
    }
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0) {
        connectionLost();
        return Pump::Lost;
    }
    return Pump::Read;
}

// ---------------------------------------------------------------------------------------------
// The window seam

bool WaylandWindow::findOutput(const std::string& wanted)
{
    std::string names;
    for (Output* output : outputs) {
        if (output->name == wanted) {
            chosen = output;
            return true;
        }
        if (!names.empty()) names += ", ";
        names += output->name.empty() ? "(unnamed)" : output->name;
    }
    logLine("wayland: no output is named %s; outputs: %s", wanted.c_str(), names.empty() ? "none" : names.c_str());
    return false;
}

bool WaylandWindow::makeSurface(const WindowRequest& request)
{
    surface = wl_compositor_create_surface(compositor);
    wl_surface_add_listener(surface, &surfaceListener, this);
    // The scale to start with; the output the surface enters has the last word.
    if (chosen) integerScale = chosen->scale;
    else if (outputs.size() == 1) integerScale = outputs[0]->scale;
    if (viewporter && fractionalManager) {
        viewport = wp_viewporter_get_viewport(viewporter, surface);
        fractionalScale = wp_fractional_scale_manager_v1_get_fractional_scale(fractionalManager, surface);
        wp_fractional_scale_v1_add_listener(fractionalScale, &fractionalListener, this);
    }
    wl_output* output = chosen ? chosen->output : nullptr;
    if (layerShell) {
        layerSurface = zwlr_layer_shell_v1_get_layer_surface(layerShell, surface, output,
                                                             ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "quelm3d");
        zwlr_layer_surface_v1_add_listener(layerSurface, &layerListener, this);
        zwlr_layer_surface_v1_set_size(layerSurface, 0, 0);
        zwlr_layer_surface_v1_set_anchor(layerSurface,
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // -1: over panels and docks, not beside them.
        zwlr_layer_surface_v1_set_exclusive_zone(layerSurface, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(layerSurface,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    } else {
        xdgSurface = xdg_wm_base_get_xdg_surface(wmBase, surface);
        xdg_surface_add_listener(xdgSurface, &xdgSurfaceListener, this);
        toplevel = xdg_surface_get_toplevel(xdgSurface);
        xdg_toplevel_add_listener(toplevel, &toplevelListener, this);
        xdg_toplevel_set_title(toplevel, request.title ? request.title : "");
        xdg_toplevel_set_app_id(toplevel, "quelm3d");
        xdg_toplevel_set_fullscreen(toplevel, output);
    }
    wl_surface_commit(surface);
    return waitForConfigure();
}

bool WaylandWindow::waitForConfigure()
{
    for (int round = 0; round < kConfigureRoundtrips && !configured && !closed; ++round) {
        if (wl_display_roundtrip(display) < 0) {
            connectionLost();
            return false;
        }
    }
    if (closed) {
        logLine("wayland: the compositor took the surface down before showing it");
        return false;
    }
    if (!configured) {
        logLine("wayland: the compositor never configured the surface");
        return false;
    }
    return true;
}

// 8 bits of red, green and blue and none of alpha, so that the compositor never blends the
// picture with what lies under it; a 32-bit depth buffer where there is one, else 24.
static EGLConfig chooseConfig(EGLDisplay display, int& depthBits)
{
    for (int depth : {32, 24}) {
        const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0,
                                     EGL_DEPTH_SIZE, depth, EGL_NONE};
        EGLint count = 0;
        if (!eglChooseConfig(display, attributes, nullptr, 0, &count) || count <= 0) continue;
        std::vector<EGLConfig> configs(static_cast<size_t>(count));
        if (!eglChooseConfig(display, attributes, configs.data(), count, &count)) continue;
        for (EGLint i = 0; i < count; ++i) {
            EGLint red = 0, green = 0, blue = 0, alpha = 0;
            eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
            eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
            eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
            eglGetConfigAttrib(display, configs[i], EGL_ALPHA_SIZE, &alpha);
            if (red != 8 || green != 8 || blue != 8 || alpha != 0) continue;
            eglGetConfigAttrib(display, configs[i], EGL_DEPTH_SIZE, &depthBits);
            return configs[i];
        }
    }
    return nullptr;
}

bool WaylandWindow::makeContext()
{
    if (eglDisplay == EGL_NO_DISPLAY) {
        if (epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_wayland") ||
            epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_KHR_platform_wayland"))
            eglDisplay = eglGetPlatformDisplayEXT(EGL_PLATFORM_WAYLAND_EXT, display, nullptr);
        else
            eglDisplay = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display));
        EGLint major = 0, minor = 0;
        if (eglDisplay == EGL_NO_DISPLAY || !eglInitialize(eglDisplay, &major, &minor)) {
            logLine("wayland: EGL cannot be set up on the compositor's display (%s)", eglErrorText(eglGetError()));
            eglDisplay = EGL_NO_DISPLAY;
            return false;
        }
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        logLine("wayland: EGL offers no desktop OpenGL (%s)", eglErrorText(eglGetError()));
        return false;
    }
    int depthBits = 0;
    EGLConfig config = chooseConfig(eglDisplay, depthBits);
    if (!config) {
        logLine("wayland: EGL has no window config with 8-bit red, green and blue, no alpha and a depth buffer");
        return false;
    }
    // The engine draws with fixed-function GL: a compatibility profile, or the driver's
    // default context where profiles are not understood.
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                    EGL_NONE};
    eglContext = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, compatibility);
    if (eglContext == EGL_NO_CONTEXT) eglContext = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (eglContext == EGL_NO_CONTEXT) {
        logLine("wayland: no OpenGL context (%s)", eglErrorText(eglGetError()));
        return false;
    }
    eglWindow = wl_egl_window_create(surface, bufferWidth, bufferHeight);
    if (!eglWindow) {
        logLine("wayland: no EGL window of %d x %d pixels", bufferWidth, bufferHeight);
        return false;
    }
    if (epoxy_has_egl_extension(eglDisplay, "EGL_EXT_platform_base"))
        eglSurface = eglCreatePlatformWindowSurfaceEXT(eglDisplay, config, eglWindow, nullptr);
    else
        eglSurface = eglCreateWindowSurface(eglDisplay, config, reinterpret_cast<EGLNativeWindowType>(eglWindow),
                                            nullptr);
    if (eglSurface == EGL_NO_SURFACE) {
        logLine("wayland: no EGL surface (%s)", eglErrorText(eglGetError()));
        return false;
    }
    if (!eglMakeCurrent(eglDisplay, eglSurface, eglSurface, eglContext)) {
        logLine("wayland: the OpenGL context cannot be made current (%s)", eglErrorText(eglGetError()));
        return false;
    }
    // The frame callback paces the frames; EGL must never wait on its own.
    eglSwapInterval(eglDisplay, 0);
    logLine("wayland: OpenGL through EGL, %d-bit depth buffer", depthBits);
    return true;
}

bool WaylandWindow::create(const WindowRequest& request)
{
    if (surface) destroy();
    if (!display && !connect()) return false;
    if (lost) return false;
    closeQueued = false;
    if (!request.outputName.empty() && !findOutput(request.outputName)) return false;
    if (!makeSurface(request) || !makeContext()) {
        destroy();
        return false;
    }
    return true;
}

// The surface is mapped by the first frame's buffer; until then the compositor shows nothing.
void WaylandWindow::show()
{
    if (display && !lost) wl_display_flush(display);
}

bool WaylandWindow::nextEvent(WindowEvent& event)
{
    if (events.empty()) pump(0);
    if (events.empty()) return false;
    event = events.front();
    events.pop_front();
    return true;
}

bool WaylandWindow::frameWanted(int timeoutMs)
{
    if (!surface || lost) return false;
    pump(0);
    if (frameDone) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    const size_t waiting = events.size();
    // Events for the engine (a key, a close) end the wait too: it need not sit out a dark output.
    while (!frameDone && events.size() == waiting) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        if (pump(static_cast<int>(left.count())) != Pump::Read) break;
    }
    return frameDone;
}

void WaylandWindow::swap()
{
    if (eglSurface == EGL_NO_SURFACE || lost) return;
    if (!viewport && appliedBufferScale != integerScale) {
        wl_surface_set_buffer_scale(surface, integerScale);
        appliedBufferScale = integerScale;
    }
    if (frameCallback) wl_callback_destroy(frameCallback);
    frameCallback = wl_surface_frame(surface);
    wl_callback_add_listener(frameCallback, &frameListener, this);
    frameDone = false;
    if (!eglSwapBuffers(eglDisplay, eglSurface)) {
        if (!swapFailureLogged) logLine("wayland: eglSwapBuffers failed (%s)", eglErrorText(eglGetError()));
        swapFailureLogged = true;
    }
}

void WaylandWindow::destroy()
{
    if (eglDisplay != EGL_NO_DISPLAY) {
        eglMakeCurrent(eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (eglContext != EGL_NO_CONTEXT) eglDestroyContext(eglDisplay, eglContext);
        if (eglSurface != EGL_NO_SURFACE) eglDestroySurface(eglDisplay, eglSurface);
    }
    eglContext = EGL_NO_CONTEXT;
    eglSurface = EGL_NO_SURFACE;
    if (eglWindow) wl_egl_window_destroy(eglWindow);
    eglWindow = nullptr;
    if (frameCallback) wl_callback_destroy(frameCallback);
    frameCallback = nullptr;
    if (fractionalScale) wp_fractional_scale_v1_destroy(fractionalScale);
    fractionalScale = nullptr;
    if (viewport) wp_viewport_destroy(viewport);
    viewport = nullptr;
    if (layerSurface) zwlr_layer_surface_v1_destroy(layerSurface);
    layerSurface = nullptr;
    if (toplevel) xdg_toplevel_destroy(toplevel);
    toplevel = nullptr;
    if (xdgSurface) xdg_surface_destroy(xdgSurface);
    xdgSurface = nullptr;
    if (surface) wl_surface_destroy(surface);
    surface = nullptr;
    if (display && !lost) wl_display_flush(display);
    chosen = entered = nullptr;
    logicalWidth = logicalHeight = bufferWidth = bufferHeight = 0;
    integerScale = appliedBufferScale = 1;
    fractionalFactor = 0.0;
    configured = closed = announced = false;
    frameDone = true;
}

void WaylandWindow::shutdown()
{
    if (eglDisplay != EGL_NO_DISPLAY) {
        eglTerminate(eglDisplay);
        eglReleaseThread();
        eglDisplay = EGL_NO_DISPLAY;
    }
    xkb_state_unref(keyState);
    xkb_keymap_unref(keymap);
    xkb_context_unref(xkbContext);
    keyState = nullptr;
    keymap = nullptr;
    xkbContext = nullptr;
    if (!display) return;
    if (seat) {
        updateCapabilities(0);
        if (wl_seat_get_version(seat) >= WL_SEAT_RELEASE_SINCE_VERSION) wl_seat_release(seat);
        else wl_seat_destroy(seat);
        seat = nullptr;
    }
    for (Output* output : outputs) releaseOutput(output);
    outputs.clear();
    if (xdgOutputManager) zxdg_output_manager_v1_destroy(xdgOutputManager);
    if (fractionalManager) wp_fractional_scale_manager_v1_destroy(fractionalManager);
    if (viewporter) wp_viewporter_destroy(viewporter);
    if (wmBase) xdg_wm_base_destroy(wmBase);
    if (layerShell) {
        // Its destroy request came with version 3; before that the proxy only goes on our side.
        if (zwlr_layer_shell_v1_get_version(layerShell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(layerShell);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(layerShell));
    }
    if (compositor) wl_compositor_destroy(compositor);
    if (registry) wl_registry_destroy(registry);
    xdgOutputManager = nullptr;
    fractionalManager = nullptr;
    viewporter = nullptr;
    wmBase = nullptr;
    layerShell = nullptr;
    compositor = nullptr;
    registry = nullptr;
    if (!lost) wl_display_flush(display);
    wl_display_disconnect(display);
    display = nullptr;
    events.clear();
}

} // namespace

std::unique_ptr<WindowBackend> makeWaylandWindow() { return std::make_unique<WaylandWindow>(); }
