// The opening's arithmetic: the three variants' starting geometry and their steps.
#include "skin_opening.h"

#include <algorithm>

namespace {

constexpr int kNarrowScreen = 700;

struct Steps {
    int a, b;
};

Steps Steps_For(int draw)
{
    switch (draw) {
    case 0: return {9, 6};
    case 3: return {15, 10};
    default: return {12, 8};
    }
}

Opening_State Common(const Opening_Screen& screen)
{
    Opening_State s;
    s.Width = 2;
    s.Left = screen.Centre_X;
    return s;
}

void Set_Growth_Steps(Opening_State& s, int draw)
{
    const Steps st = Steps_For(draw);
    s.Width_Step = 2 * st.a;
    s.Left_Step = st.a;
    s.Height_Step = 2 * st.b + st.b / 2;
    s.Top_Step = st.b;
}

// The top of the variants that open from the top of a centred form: 0 on a narrow screen.
int Centred_Top(const Opening_Screen& screen, const Opening_State& s)
{
    return screen.Resolution_X > kNarrowScreen ? screen.Centre_Y - s.Target_Height / 2 : 0;
}

}  // namespace

Opening_State Grow_Both_Start(const Opening_Screen& screen, int draw)
{
    Opening_State s = Common(screen);
    s.Height = 2;
    s.Top = screen.Resolution_X > kNarrowScreen ? screen.Centre_Y - 50 : screen.Centre_Y - 10;
    Set_Growth_Steps(s, draw);
    return s;
}

Opening_State Grow_Down_Start(const Opening_Screen& screen, int draw)
{
    Opening_State s = Common(screen);
    s.Top_Fixed = true;
    s.Height = 2;
    s.Top = Centred_Top(screen, s);
    Set_Growth_Steps(s, draw);
    return s;
}

Opening_State Grow_Width_Start(const Opening_Screen& screen, int draw)
{
    Opening_State s = Common(screen);
    s.Height = s.Target_Height;
    s.Top = Centred_Top(screen, s);
    s.Width_Step = draw == 0 ? 16 : draw == 1 ? 20 : 40;
    s.Left_Step = s.Width_Step / 2;
    s.Height_Step = 0;
    s.Top_Step = 0;
    return s;
}

Opening_Geometry Opening_Start_Geometry(const Opening_State& s) { return {s.Left, s.Top, s.Width, s.Height, true}; }

Opening_Geometry Opening_Advance(Opening_State& s, bool& complete)
{
    if (s.Width <= s.Target_Width) {
        s.Width += s.Width_Step;
        s.Left -= s.Left_Step;
    }
    if (s.Height <= s.Target_Height) {
        s.Height += s.Height_Step;
        if (!s.Top_Fixed) s.Top -= s.Top_Step;
    }
    complete = s.Width >= s.Target_Width && s.Height >= s.Target_Height;
    return {s.Left, s.Top, std::min(s.Width, s.Target_Width), std::min(s.Height, s.Target_Height), s.Top >= 0};
}
