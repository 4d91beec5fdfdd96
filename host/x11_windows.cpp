// X11 queries of the screensaver host. Its own connection, opened on first use, so the answers
// do not depend on the toolkit's connection or platform plugin. Questions about other clients'
// windows may meet a window that is gone, and a server may refuse a GLX request: those errors are
// caught, never fatal.
#include "x11_windows.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <GL/glxext.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <string_view>

namespace {

Display* hostDisplay()
{
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

// The window named by the root's _NET_ACTIVE_WINDOW, or false when no window manager publishes one.
bool activeWindowProperty(Display* display, unsigned long& window)
{
    const Atom property = XInternAtom(display, "_NET_ACTIVE_WINDOW", True);
    if (property == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), property, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    const bool published = status == Success && type == XA_WINDOW && format == 32 && count == 1 && data;
    if (published) window = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return published;
}

// Xlib's error handler is one for the whole process and takes no state of its own: the count of
// the one guarded call that runs at a time lives here.
int Caught_Errors = 0;
int countError(Display*, XErrorEvent*)
{
    ++Caught_Errors;
    return 0;
}

// Runs requests that may fail on the server with X errors caught instead of ending the program
// (a window gone meanwhile, a GLX request refused): true when it answered without an error. The
// requests still queued before it are flushed first, so their errors are not counted here.
template <typename Question>
bool Ask_Guarded(Display* display, Question question)
{
    XSync(display, False);
    Caught_Errors = 0;
    auto previous = XSetErrorHandler(countError);
    const bool answered = question();
    XSync(display, False);
    XSetErrorHandler(previous);
    return answered && !Caught_Errors;
}

}  // namespace

unsigned long Foreground_Window()
{
    Display* display = hostDisplay();
    if (!display) return 0;
    unsigned long window = 0;
    if (activeWindowProperty(display, window)) return window;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    return focus;
}

bool Window_Place(unsigned long window, Screen_Rect& place)
{
    Display* display = hostDisplay();
    if (!display || window == 0) return false;
    XWindowAttributes attributes{};
    Window child = None;
    int x = 0, y = 0;
    if (!Ask_Guarded(display, [&] {
            return XGetWindowAttributes(display, window, &attributes) &&
                   XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
        }))
        return false;
    place = {x, y, attributes.width, attributes.height};
    return true;
}

// Polled by the preview: the size alone, one request.
bool Window_Size(unsigned long window, Window_Extent& size)
{
    Display* display = hostDisplay();
    if (!display || window == 0) return false;
    XWindowAttributes attributes{};
    if (!Ask_Guarded(display, [&] { return XGetWindowAttributes(display, window, &attributes) != 0; })) return false;
    size = {attributes.width, attributes.height};
    return true;
}

int Monitor_Holding(const Screen_Rect& window, const std::vector<Screen_Rect>& monitors)
{
    const long middle_x = window.x + window.width / 2, middle_y = window.y + window.height / 2;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const Screen_Rect& m = monitors[i];
        if (middle_x >= m.x && middle_x < m.x + long(m.width) && middle_y >= m.y && middle_y < m.y + long(m.height))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<Screen_Rect> Screen_Monitors()
{
    std::vector<Screen_Rect> monitors;
    Display* display = hostDisplay();
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!display || !XRRQueryExtension(display, &event_base, &error_base) || !XRRQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 5))
        return monitors;
    int count = 0;
    XRRMonitorInfo* list = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
    for (int i = 0; i < count; ++i) {
        const Screen_Rect m{list[i].x, list[i].y, list[i].width, list[i].height};
        if (list[i].primary) monitors.insert(monitors.begin(), m);
        else monitors.push_back(m);
    }
    if (list) XRRFreeMonitors(list);
    return monitors;
}

struct GL_Probe::Parts {
    Display* display = nullptr;
    GLXPbuffer surface = 0;
    GLXContext context = nullptr;
};

GL_Probe::GL_Probe(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}

GL_Probe::~GL_Probe()
{
    Display* display = parts_->display;
    if (parts_->context) {
        glXMakeContextCurrent(display, None, None, nullptr);
        glXDestroyContext(display, parts_->context);
    }
    if (parts_->surface) glXDestroyPbuffer(display, parts_->surface);
    XCloseDisplay(display);
}

std::unique_ptr<GL_Probe> GL_Probe::Open()
{
    auto parts = std::make_unique<Parts>();
    parts->display = XOpenDisplay(nullptr);
    if (!parts->display) return nullptr;
    // Made before anything can fail, so that what was made is released on every way out.
    Display* display = parts->display;
    std::unique_ptr<GL_Probe> probe(new GL_Probe(std::move(parts)));
    Parts& made = *probe->parts_;
    const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_PBUFFER_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT, None};
    int error_base = 0, event_base = 0, count = 0;
    if (!glXQueryExtension(display, &error_base, &event_base)) return nullptr;
    GLXFBConfig* configs = nullptr;
    const bool created = Ask_Guarded(display, [&] {
        configs = glXChooseFBConfig(display, DefaultScreen(display), attributes, &count);
        if (!configs || count < 1) return false;
        const int size[] = {GLX_PBUFFER_WIDTH, 1, GLX_PBUFFER_HEIGHT, 1, None};
        made.surface = glXCreatePbuffer(display, configs[0], size);
        made.context = glXCreateNewContext(display, configs[0], GLX_RGBA_TYPE, nullptr, True);
        return made.surface && made.context;
    });
    if (configs) XFree(configs);
    if (!created) return nullptr;
    const bool current = Ask_Guarded(display, [&] {
        return glXMakeContextCurrent(display, made.surface, made.surface, made.context) == True;
    });
    if (!current || glXGetCurrentContext() != made.context) return nullptr;
    return probe;
}

uint64_t GL_Probe::Video_Memory_Bytes() const
{
    Display* display = parts_->display;
    uint64_t bytes = 0;
    const char* glx_extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    const char* gl_extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (glx_extensions && std::string_view(glx_extensions).find("GLX_MESA_query_renderer") != std::string_view::npos) {
        auto query = reinterpret_cast<PFNGLXQUERYCURRENTRENDERERINTEGERMESAPROC>(
            glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryCurrentRendererIntegerMESA")));
        unsigned int megabytes = 0;
        if (query && query(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes)) bytes = uint64_t{megabytes} << 20;
    }
    const bool nvidia =
        gl_extensions && std::string_view(gl_extensions).find("GL_NVX_gpu_memory_info") != std::string_view::npos;
    if (bytes == 0 && nvidia) {
        const GLenum kDedicatedVideoMemoryKb = 0x9047;
        GLint kilobytes = 0;
        glGetIntegerv(kDedicatedVideoMemoryKb, &kilobytes);
        if (kilobytes > 0) bytes = uint64_t(kilobytes) << 10;
    }
    return bytes;
}
