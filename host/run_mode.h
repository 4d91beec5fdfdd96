// Run mode: the engine started beside a hidden window, and a once-a-second look at whether the
// engine's window still has the foreground.
#pragma once

#include "outcome.h"

#include <QString>

// Whether the engine will draw as a Wayland client here: a Wayland session, and no ZERO_BACKEND
// that sends it to X11.
bool Engine_On_Wayland();

// Starts program_dir + "zero" detached, without arguments, in the program directory: the
// engine's process id, or why it could not be started.
Result<long long> Start_Engine(const QString& program_dir);

// Starts the engine and watches the foreground window until it changes; returns the exit code.
int Run_FullScreen_Mode(const QString& program_dir);
