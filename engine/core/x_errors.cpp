// The one place the engine knows Xlib: its error handler.
#include "core/x_errors.h"

#include "core/messages.h"

#include <X11/Xlib.h>

static int logXError(Display* display, XErrorEvent* error)
{
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    logLine("X error: %s (request %d.%d)", text, error->request_code, error->minor_code);
    return 0;
}

void installXErrorLogging() { XSetErrorHandler(logXError); }
