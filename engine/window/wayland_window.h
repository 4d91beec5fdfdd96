// The Wayland back end of the window seam: a layer surface (or a full-screen xdg_toplevel where
// the compositor has no layer shell) with an EGL context, paced by the compositor's frame callbacks.
#pragma once

#include "window/window_backend.h"

#include <memory>

std::unique_ptr<WindowBackend> makeWaylandWindow();
