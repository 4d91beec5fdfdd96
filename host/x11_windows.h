// The host's one window on the X server's own view of things: which window has the foreground.
#pragma once

// The foreground window: the root window's _NET_ACTIVE_WINDOW where a window manager publishes it,
// else the window that holds the input focus. 0 when no display can be opened.
unsigned long Foreground_Window();
