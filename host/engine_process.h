// Running the engine as a screensaver daemon's hack: XScreenSaver starts us with --root (and, in
// its settings preview, --window-id ID) and names the window to draw into in XSCREENSAVER_WINDOW.
// The engine then runs as our child, the daemon's signals are passed on to it, and we end with it.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct HackRequest {
    QString windowId;   // the window the engine draws into, as "0x..." hexadecimal
};

// The hack request the command line and the environment make, if any: --root or -root,
// --window-id ID or -window-id ID (decimal or 0x hexadecimal) anywhere on the command line, or
// XSCREENSAVER_WINDOW set while the command line asks for run mode (runMode). error receives why
// a request cannot be taken.
std::optional<HackRequest> Read_Hack_Request(const QStringList& args, const QString& environmentWindow, bool runMode,
                                             QString* error);

// A window id as XSCREENSAVER_WINDOW and --window-id give it (decimal or 0x hexadecimal); 0 when
// it is not one.
unsigned long Parse_Window_Id(const QString& text);

// Starts Program_Dir + "zero" as a child with XSCREENSAVER_WINDOW set, passes SIGTERM, SIGINT and
// SIGHUP on to it and returns its exit status once it has ended (128 + N when signal N ended it).
int Run_Hack_Mode(const HackRequest& request);
