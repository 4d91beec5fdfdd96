// The X11 back end: SDL's window and GLX context, or a child of the window a screensaver daemon
// lends (XSCREENSAVER_WINDOW). SDL's EGL driver without an X server ("offscreen") runs through it too.
#pragma once

#include "window/window_backend.h"

std::unique_ptr<WindowBackend> makeX11Window();
