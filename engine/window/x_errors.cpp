// The one place the engine knows Xlib: its error handlers, and the window a screensaver daemon
// lends it.
#include "window/x_errors.h"

#include "base/messages.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#include <csignal>
#include <cstdlib>

static void (*g_displayLost)() = nullptr;
static bool g_quiet = false;
static int g_trappedErrors = 0;
static bool g_errorsLogged = false;

static int logXError(Display* display, XErrorEvent* error)
{
    if (g_quiet) {
        ++g_trappedErrors;
        return 0;
    }
    g_errorsLogged = true;
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    logLine("X error: %s (request %d.%d)", text, error->request_code, error->minor_code);
    return 0;
}

// Xlib ends the process if this returns; displayLost is expected not to.
static int endOnLostConnection(Display* display)
{
    const char* name = display ? DisplayString(display) : nullptr;
    logLine("the connection to the X display %s was lost; ending the run", name ? name : "");
    if (g_displayLost) g_displayLost();
    std::exit(0);
}

void installXErrorHandling(void (*displayLost)())
{
    g_displayLost = displayLost;
    XSetErrorHandler(logXError);
    XSetIOErrorHandler(endOnLostConnection);
    // A write to a server that has gone must fail as a broken connection (and reach the handler
    // above), not end the process with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

bool takeLoggedXErrors()
{
    const bool logged = g_errorsLogged;
    g_errorsLogged = false;
    return logged;
}

void quietXErrors(bool quiet)
{
    g_quiet = quiet;
}

bool hostWindowSize(void* opaque, unsigned long hostWindow, int& width, int& height)
{
    Display* display = static_cast<Display*>(opaque);
    if (!display || !hostWindow) return false;
    const bool wasQuiet = g_quiet;
    XSync(display, False);
    g_quiet = true;
    g_trappedErrors = 0;
    XWindowAttributes attributes{};
    const Status status = XGetWindowAttributes(display, hostWindow, &attributes);
    XSync(display, False);
    const bool gone = !status || g_trappedErrors > 0;
    g_quiet = wasQuiet;
    if (gone) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

void adoptIntoHostWindow(void* opaque, unsigned long ownWindow, unsigned long hostWindow)
{
    Display* display = static_cast<Display*>(opaque);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(display, ownWindow, CWOverrideRedirect, &attributes);
    XReparentWindow(display, ownWindow, hostWindow, 0, 0);
    XSync(display, False);
}

bool queueUnmapOfVanishedWindow(void* opaque, unsigned long ownWindow)
{
    int width = 0, height = 0;
    if (!opaque || !ownWindow || hostWindowSize(opaque, ownWindow, width, height)) return false;
    XEvent event{};
    event.xunmap.type = UnmapNotify;
    event.xunmap.display = static_cast<Display*>(opaque);
    event.xunmap.event = ownWindow;
    event.xunmap.window = ownWindow;
    XPutBackEvent(static_cast<Display*>(opaque), &event);
    return true;
}

void syncX(void* display)
{
    if (display) XSync(static_cast<Display*>(display), False);
}

void watchVisibility(void* display, unsigned long window)
{
    Display* d = static_cast<Display*>(display);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(d, window, &attributes)) return;
    XSelectInput(d, window, attributes.your_event_mask | VisibilityChangeMask);
}

bool monitorPoweredDown(void* display)
{
    Display* d = static_cast<Display*>(display);
    int event = 0, error = 0;
    if (!d || !DPMSQueryExtension(d, &event, &error) || !DPMSCapable(d)) return false;
    CARD16 level = DPMSModeOn;
    BOOL enabled = False;
    if (!DPMSInfo(d, &level, &enabled)) return false;
    return enabled && level != DPMSModeOn;
}
