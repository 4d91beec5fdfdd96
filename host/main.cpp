// quelmscr: the screensaver host. Runs the scene by starting the engine, shows the preview or the
// settings dialog, or (mode "a") the password change, as its command line says.
#include "command_line.h"
#include "hack_mode.h"
#include "idle_mode.h"
#include "preview.h"
#include "program_dir.h"
#include "run_mode.h"
#include "say.h"
#include "settings_dialog.h"
#include "xscreensaver_register.h"

#include <QApplication>

// Linux screen lockers keep their own passwords; there is no provider to hand the change to.
static void Change_Password() {}

// Qt's platform for a mode's windows, unless the user chose one (QT_QPA_PLATFORM). The preview
// paints into another program's X window, so it is X11's wherever it runs; the other modes are
// native Wayland clients on a Wayland session (X11 where the compositor has no Wayland socket).
static void Choose_Qt_Platform(Host_Mode mode)
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
    if (mode == Host_Mode::Preview) qputenv("QT_QPA_PLATFORM", "xcb");
    else if (!qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty()) qputenv("QT_QPA_PLATFORM", "wayland;xcb");
}

int main(int argc, char** argv)
{
    // The host never hides the pointer, so there is nothing to show again before or after a mode.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    // Finding the program directory may already make the user's folder and the Path file.
    if (const QString reason = Foreign_Home_Reason(); !reason.isEmpty()) {
        Say(reason);
        return 1;
    }
    Host_Paths paths;
    Init_Paths(paths);
    Build_Web_Links(paths);
    const Command_Line line = Read_Command_Line(args);
    Choose_Qt_Platform(line.Mode);

    // The session's idle watcher: engines on every output while the desktop is idle.
    const auto idle = Read_Idle_Request(args);
    if (idle.Ok && idle.Value) {
        QCoreApplication app(argc, argv);
        return Run_Idle_Mode(*idle.Value, paths.Program_Dir);
    }
    if (!idle.Ok) {
        Say(idle.Message);
        return 2;
    }

    // Quelm 3D into the user's XScreenSaver list or out of it: no window, no engine.
    const auto list = Read_List_Request(args);
    if (list.Ok && list.Value) return Change_Hack_List(*list.Value);
    if (!list.Ok) {
        Say(list.Message);
        return 2;
    }

    // Under XScreenSaver: not one of the screensaver's own modes, but the daemon's hack protocol.
    const auto hack = Read_Hack_Request(args, qEnvironmentVariable("XSCREENSAVER_WINDOW"), line.Mode == Host_Mode::Run);
    if (hack.Ok && hack.Value) return Run_Hack_Mode(*hack.Value, paths.Program_Dir);
    if (!hack.Ok) {
        Say(hack.Message);
        return 2;
    }

    switch (line.Mode) {
    case Host_Mode::Password:
        Change_Password();
        return 0;
    case Host_Mode::Preview: {
        if (line.Preview_Window == 0) return 0;   // no window to paint into
        QApplication app(argc, argv);
        return Show_Preview(line.Preview_Window);
    }
    case Host_Mode::Settings: {
        QApplication app(argc, argv);
        return Show_Settings_Dialog(paths);
    }
    case Host_Mode::Run:
        break;
    }
    QApplication app(argc, argv);
    return Run_FullScreen_Mode(paths.Program_Dir);
}
