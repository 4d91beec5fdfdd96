// quelmscr: the screensaver host. Runs the scene by starting the engine, shows the preview or the
// settings dialog, or (mode "a") the password change, as its command line says.
#include "adjustment_unit.h"
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

    if (Mode == u"a") {
        Change_Password();
        return 0;
    }
    if (Mode == u"p") {
        std::fprintf(stderr, "quelmscr: mode \"%s\" is not built yet\n", qPrintable(Mode));
        return 2;
    }
    QApplication app(argc, argv);
    if (Mode == u"c") {
        Show_Settings_Dialog();
        return 0;
    }
    return Run_FullScreen_Mode();
}
