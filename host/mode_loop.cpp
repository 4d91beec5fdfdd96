// The modes' message loop and timer routine (Qt's event loop, X11 for the windows it watches).
#include "mode_loop.h"

#include "x11_windows.h"

#include <QCoreApplication>
#include <QPaintDeviceWindow>
#include <cerrno>
#include <csignal>
#include <signal.h>

namespace {

// Written by the signal handler, so it cannot live in the loop's state.
volatile std::sig_atomic_t Quit_Signal = 0;

void On_Quit_Signal(int)
{
    Quit_Signal = 1;
}

}  // namespace

void Catch_Quit_Signals()
{
    std::signal(SIGTERM, On_Quit_Signal);
    std::signal(SIGINT, On_Quit_Signal);
}

void Run_Message_Loop(Host_Loop& loop)
{
    // A signal interrupts the wait, and the mode's timer wakes the loop at least once a period.
    while (!loop.Quit_Flag && !Quit_Signal) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    loop.Quit_Flag = true;
}

void Host_Timer(Host_Loop& loop, int timer_id)
{
    if (timer_id == kForegroundTimerId) {
        if (loop.Engine_Pid) {
            if (kill(static_cast<pid_t>(loop.Engine_Pid), 0) != 0 && errno == ESRCH) loop.Quit_Flag = true;
        } else if (Foreground_Window() != loop.Remembered_Foreground) {
            loop.Quit_Flag = true;
        }
    } else if (timer_id == kPreviewTimerId && loop.Preview_Child) {
        // When the parent goes, X takes our child with it: end instead of painting into nothing.
        Window_Extent size;
        if (!Window_Size(loop.Preview_Window, size)) loop.Quit_Flag = true;
        else loop.Preview_Child->update();
    }
}
