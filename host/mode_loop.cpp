// The modes' message loop: Qt's event loop, left on the mode's flag or a quit signal.
#include "mode_loop.h"

#include <QCoreApplication>
#include <csignal>

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
