// The window's surface: its role (a layer surface, else a full-screen xdg_toplevel), its size and
// scale as the compositor configures them, the frame callback, and its EGL context.
#include "window/wayland_window_impl.h"

#include "base/messages.h"

namespace wayland_backend {

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


} // namespace wayland_backend
