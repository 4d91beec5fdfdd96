// What run mode and preview mode share: the message loop that ends on a flag or a quit signal,
// and the timer routine that the watch (run mode) and the repaint (preview) tick through.
#pragma once

class QPaintDeviceWindow;

// Timer identifiers of the two modes' windows.
constexpr int kPreviewTimerId = 700;
constexpr int kForegroundTimerId = 900;

struct Host_Loop {
    // Set to end the message loop.
    bool Quit_Flag = false;
    // Run mode: the window that had the foreground once the engine was started.
    unsigned long Remembered_Foreground = 0;
    // Run mode on Wayland, where no client may see another's window: the engine's process, watched
    // in the foreground window's stead.
    long long Engine_Pid = 0;
    // Preview: the other program's window, and our child painted into it.
    unsigned long Preview_Window = 0;
    QPaintDeviceWindow* Preview_Child = nullptr;
};

// SIGTERM and SIGINT are how the session asks a program to quit here. Each mode catches them
// first thing: a quit may come as soon as the mode announces itself, before its loop runs.
void Catch_Quit_Signals();

// Handles events until loop.Quit_Flag is set or a quit signal came; sets Quit_Flag on the way out.
void Run_Message_Loop(Host_Loop& loop);

// One tick of a mode's timer: 900 ends the loop once the foreground window has changed (or, with
// Engine_Pid, once the engine's process is gone), 700
// repaints the preview (or ends the loop once the preview's parent is gone); others are ignored.
void Host_Timer(Host_Loop& loop, int timer_id);
