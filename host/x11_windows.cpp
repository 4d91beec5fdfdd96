// X11 queries of the screensaver host. Its own connection, opened on first use, so the answers
// do not depend on the toolkit's connection or platform plugin. Questions about other clients'
// windows may meet a window that is gone: those errors are caught, never fatal.
#include "x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

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

bool Window_Size(unsigned long window, Window_Extent& size)
{
    Display* display = hostDisplay();
    if (!display || window == 0) return false;
    XSync(display, False);
    Caught_Errors = 0;
    auto previous = XSetErrorHandler(countError);
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(display, window, &attributes);
    XSync(display, False);
    XSetErrorHandler(previous);
    if (!status || Caught_Errors) return false;
    size = {attributes.width, attributes.height};
    return true;
}
