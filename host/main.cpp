// quelmscr: the screensaver host. Runs the scene by starting the engine, shows the preview or the
// settings dialog, or (mode "a") the password change, as its command line says.
#include "adjustment_unit.h"
#include "engine_process.h"
#include "modul_another.h"
#include "system_controls_all_info.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // The host never hides the pointer, so there is nothing to show again before or after a mode.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    Init_Paths();
    Build_Web_Links();
    Read_Command_Line(args);

    // Under XScreenSaver: not one of the screensaver's own modes, but the daemon's hack protocol.
    QString hackError;
    const auto hack = Read_Hack_Request(args, qEnvironmentVariable("XSCREENSAVER_WINDOW"), Mode.isEmpty(), &hackError);
    if (hack) return Run_Hack_Mode(*hack);
    if (!hackError.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(hackError));
        return 2;
    }

    if (Mode == u"a") {
        Change_Password();
        return 0;
    }
    if (Mode == u"p" && Preview_Window == 0) return 0;   // no window to paint into
    QApplication app(argc, argv);
    if (Mode == u"p") return Show_Preview();
    if (Mode == u"c") {
        Show_Settings_Dialog();
        return 0;
    }
    return Run_FullScreen_Mode();
}
