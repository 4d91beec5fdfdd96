// The settings form's opening: it grows out of the middle of the work area to its full size in
// steps, one per idle turn of the event loop. Plain arithmetic on four numbers per step, so the
// variants can be tested without a window.
#pragma once

// What the opening needs to know of the screen (from Get_Screen_Metrics).
struct Opening_Screen {
    int Resolution_X = 0;           // the screen's width in pixels
    int Centre_X = 0, Centre_Y = 0; // half the work area's width and height
};

struct Opening_State {
    int Target_Width = 789, Target_Height = 554;
    int Width = 2, Height = 2, Left = 0, Top = 0;
    int Width_Step = 0, Left_Step = 0, Height_Step = 0, Top_Step = 0;
    bool Top_Fixed = false;
};

// What one step hands the window: the width and height capped at the targets, and the top only
// when it is 0 or more (otherwise the window keeps the top it has).
struct Opening_Geometry {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool Top_Given = true;
};

// The three variants' set-ups. draw is the random draw each takes: 0 to 3 for Both and Down
// (the step sizes), 0 to 2 for Width (16, 20 or 40 pixels wider per step).
Opening_State Grow_Both_Start(const Opening_Screen& screen, int draw);
Opening_State Grow_Down_Start(const Opening_Screen& screen, int draw);
Opening_State Grow_Width_Start(const Opening_Screen& screen, int draw);

// The geometry the set-up applies before the first step.
Opening_Geometry Opening_Start_Geometry(const Opening_State& state);

// One step: grows what has not passed its target yet; returns what to apply, and whether the
// opening is complete (both width and height at their targets).
Opening_Geometry Opening_Advance(Opening_State& state, bool& complete);
