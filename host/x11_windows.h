// The host's own view of the X server: which window has the foreground, and the preview's parent.
#pragma once

// The foreground window: the root window's _NET_ACTIVE_WINDOW where a window manager publishes it,
// else the window that holds the input focus. 0 when no display can be opened.
unsigned long Foreground_Window();

struct Window_Extent {
    int width = 0;
    int height = 0;
};
// The size of a window of any client; false when there is no such window (or no display).
bool Window_Size(unsigned long window, Window_Extent& size);
