// Which back end draws the engine's window, and the one handler for a display that goes away.
#include "window/window_backend.h"

#include "window/wayland_window.h"
#include "window/x11_window.h"
#include "window/x_errors.h"

#include <cstring>

std::optional<BackendKind> chooseBackend(const char* zeroBackend, const char* waylandDisplay, bool lentWindow,
                                         std::string& error)
{
    if (zeroBackend && *zeroBackend) {
        if (std::strcmp(zeroBackend, "x11") == 0) return BackendKind::X11;
        if (std::strcmp(zeroBackend, "wayland") != 0) {
            error = std::string("ZERO_BACKEND=") + zeroBackend + " is neither x11 nor wayland";
            return std::nullopt;
        }
        if (lentWindow) {
            error = "ZERO_BACKEND=wayland cannot draw into the X window XSCREENSAVER_WINDOW names";
            return std::nullopt;
        }
        return BackendKind::Wayland;
    }
    // A daemon's window is an X window, whatever else the session offers.
    if (lentWindow) return BackendKind::X11;
    return waylandDisplay && *waylandDisplay ? BackendKind::Wayland : BackendKind::X11;
}

std::unique_ptr<WindowBackend> makeWindowBackend(BackendKind kind)
{
    return kind == BackendKind::Wayland ? makeWaylandWindow() : makeX11Window();
}

void installDisplayLossHandling(void (*displayLost)()) { installXErrorHandling(displayLost); }
