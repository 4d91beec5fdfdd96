// Hack mode: the engine as a child process of a screensaver daemon's hack (XScreenSaver starts
// us with --root, and in its settings pane --window-id ID; the window to draw into is passed on
// as XSCREENSAVER_WINDOW). The daemon's signals are passed on to the engine; we end with it.
#pragma once

#include "command_line.h"

#include <QString>

// Starts program_dir + "zero" as a child with XSCREENSAVER_WINDOW set, passes SIGTERM, SIGINT and
// SIGHUP on to it and returns its exit status once it has ended (128 + N when signal N ended it).
int Run_Hack_Mode(const Hack_Request& request, const QString& program_dir);
