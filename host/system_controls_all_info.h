// The host's windows and timers: run mode, which starts the engine and watches the foreground,
// and the shared timer routine.
#pragma once

#include <QString>

// Timer identifiers of the host's windows.
constexpr int kPreviewTimerId = 700;
constexpr int kForegroundTimerId = 900;

// What starting the engine came to: started, or why not (on standard error, with a non-zero exit).
struct EngineStart {
    bool started = false;
    QString error;
};

// Starts Program_Dir + "zero" detached, without arguments, in the program directory.
EngineStart Start_Engine();

// Starts the engine and watches the foreground window until it changes; returns the exit code.
int Run_FullScreen_Mode();

// Called on every timer tick of the run-mode and preview windows.
void Host_Timer(int timerId);
