// X11 queries of the screensaver host. Its own connection, opened on first use, so the answers
// do not depend on the toolkit's connection or platform plugin. Questions about other clients'
// windows may meet a window that is gone: those errors are caught, never fatal.
#include "x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

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

int Caught_Errors = 0;
int countError(Display*, XErrorEvent*)
{
    ++Caught_Errors;
    return 0;
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

// Runs one question about another client's window with X errors caught (the window may be gone
// meanwhile): true when it answered without an error.
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
