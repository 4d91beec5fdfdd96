// The one place the engine knows Xlib: its error handlers.
#include "app/x_errors.h"

#include "base/messages.h"

#include <X11/Xlib.h>
#include <csignal>
#include <cstdlib>

static void (*g_displayLost)() = nullptr;

static int logXError(Display* display, XErrorEvent* error)
{
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
