// The engine's dealings with Xlib's two error handlers. Protocol errors are logged instead of
// ending the process (Xlib's default handler exits), so a refused GL context takes the engine's
// own failure path and its clean shutdown. A connection to the X server that breaks (the session
// ended under the engine) is logged as such, and then displayLost ends the process: Xlib cannot
// return to its caller after that, and the display must not be touched again.
#pragma once

void installXErrorHandling(void (*displayLost)());

// The window a screensaver daemon lends the engine (another client's window). display is the
// Display* of the engine's window.
// Its size; false when it does not exist (any more). The question cannot raise a logged error.
bool hostWindowSize(void* display, unsigned long hostWindow, int& width, int& height);
// Makes the engine's window a child of the host window at (0, 0), override-redirect, so that a
// parent which redirects its children's mapping (as a window manager does) cannot keep it hidden.
void adoptIntoHostWindow(void* display, unsigned long ownWindow, unsigned long hostWindow);
// Whether X protocol errors have been logged since the last call: drawing into a host window that
// has gone raises them before the next regular look at it.
bool takeLoggedXErrors();
// While on, X protocol errors are counted but not logged: the host window may vanish under a
// shutdown that still names it.
void quietXErrors(bool quiet);
// Our own window (ownWindow) went away with the host window: the server sends no UnmapNotify for
// it, while SDL, destroying a window it still takes for shown, unmaps it and then blocks until
// that event arrives. One queued in the server's stead lets SDL go on. False (nothing queued)
// while the window still exists.
bool queueUnmapOfVanishedWindow(void* display, unsigned long ownWindow);
// Waits until the server has answered everything sent so far, so that its errors arrive now.
void syncX(void* display);
// Asks the server for our window's visibility events (fully obscured or not), beside the events
// SDL asked for.
void watchVisibility(void* display, unsigned long window);
// Whether the monitor is powered down (DPMS standby, suspend or off); false where the server has
// no DPMS or it is disabled.
bool monitorPoweredDown(void* display);
