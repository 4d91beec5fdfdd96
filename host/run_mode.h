// Run mode: the engine started beside a hidden window, and a once-a-second look at whether the
// engine's window still has the foreground.
#pragma once

#include <QString>

// What starting the engine came to: started, or why not.
struct Engine_Start {
    bool Started = false;
    QString Error;
    long long Pid = 0;
};

// Whether the engine will draw as a Wayland client here: a Wayland session, and no ZERO_BACKEND
// that sends it to X11.
bool Engine_On_Wayland();

// Starts program_dir + "zero" detached, without arguments, in the program directory.
Engine_Start Start_Engine(const QString& program_dir);

// Starts the engine and watches the foreground window until it changes; returns the exit code.
int Run_FullScreen_Mode(const QString& program_dir);
