// The window seam on Wayland: the display connection, reading what the compositor sends, and the
// window's life (made, shown, drawn only when the frame callback asks, ended). The window's parts
// are in wayland_window_impl.h.
#include "window/wayland_window_impl.h"

#include "base/messages.h"

namespace wayland_backend {

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

void WaylandWindow::waitForEvents(int timeoutMs)
{
    if (surface && !lost) pump(std::max(0, timeoutMs));
}

double WaylandWindow::refreshRate() const
{
    const Output* output = currentOutput();
    return output ? output->refreshMilliHz / 1000.0 : 0.0;
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


} // namespace wayland_backend

std::unique_ptr<WindowBackend> makeWaylandWindow() { return std::make_unique<wayland_backend::WaylandWindow>(); }
