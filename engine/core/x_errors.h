// X11 protocol errors are logged instead of ending the process (Xlib's default handler exits),
// so a refused GL context takes the engine's own failure path and its clean shutdown.
#pragma once

void installXErrorLogging();
