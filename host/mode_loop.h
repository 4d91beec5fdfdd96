// What run mode, the preview and the idle watcher share: the message loop that ends on a flag or
// a quit signal. Each mode's window runs its own timer and check and sets the flag.
#pragma once

struct Host_Loop {
    // Set to end the message loop.
    bool Quit_Flag = false;
};

// SIGTERM and SIGINT are how the session asks a program to quit here. Each mode catches them
// first thing: a quit may come as soon as the mode announces itself, before its loop runs.
void Catch_Quit_Signals();

// Handles events until loop.Quit_Flag is set or a quit signal came; sets Quit_Flag on the way out.
void Run_Message_Loop(Host_Loop& loop);
