// What the command line asks of the host: one of the screensaver's four modes (with the preview's
// window), or a screensaver daemon's hack request (--root, --window-id, XSCREENSAVER_WINDOW).
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class Host_Mode { Run, Preview, Settings, Password };

struct Command_Line {
    Host_Mode Mode = Host_Mode::Run;
    // The X window id of the preview's parent; 0 when the second argument is empty or not a number.
    unsigned long Preview_Window = 0;
};

// args: the arguments without the program name. The first one's second character picks the mode
// ("/c", "-c" and "/c:1234" all give the settings); the second argument is the preview's window.
Command_Line Read_Command_Line(const QStringList& args);

struct Hack_Request {
    unsigned long Window = 0;     // the X window the engine draws into
    bool Settings_Pane = false;   // --window-id: a settings app's preview pane, not the real blank
    // The daemon's options for this run, as behaviour keys for the engine ("clock_on=0;music_vo=20"),
    // over the settings file's values; empty when none was given.
    QString Run_Settings;
};

// The hack request the command line and the environment make, if any: --root or -root,
// --window-id ID or -window-id ID (decimal or 0x hexadecimal) anywhere on the command line, or
// XSCREENSAVER_WINDOW set while the command line asks for run mode (run_mode). With it, the
// options of the hack's descriptor, the hack options of Behaviour_Keys (behaviour_keys.h):
// --fps, --clock, --music, --sound, --vsync and their --no- forms, --music-volume N,
// --sound-volume N (10 to 99), --speed N (0 to 7), --jump-interval N (3 to 100 seconds),
// --battery cap|full|still, each also with one dash; the last of one kind wins. Not Ok, with the
// message why, where a request cannot be taken (an unknown option or a value out of range among
// them); Ok without a value where the command line makes no hack request.
Result<std::optional<Hack_Request>> Read_Hack_Request(const QStringList& args, const QString& environment_window,
                                                      bool run_mode);
