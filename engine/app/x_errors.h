// The engine's dealings with Xlib's two error handlers. Protocol errors are logged instead of
// ending the process (Xlib's default handler exits), so a refused GL context takes the engine's
// own failure path and its clean shutdown. A connection to the X server that breaks (the session
// ended under the engine) is logged as such, and then displayLost ends the process: Xlib cannot
// return to its caller after that, and the display must not be touched again.
#pragma once

void installXErrorHandling(void (*displayLost)());
