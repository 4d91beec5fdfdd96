// quelmscr --register and --unregister: Quelm 3D put into the user's XScreenSaver list
// (~/.xscreensaver) and taken out again. What the file held before is kept in the user's own
// state folder, under the list's path, so that taking the entry out gives the file back byte for
// byte when nothing else in it changed meanwhile.
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>

enum class List_Action { Register, Unregister };

struct List_Request {
    List_Action Action = List_Action::Register;
    QString Hack;   // --register HACK: the command the daemon runs; empty: the installed hack
    // The idle watcher started with the session too: asked with --idle-start, and always on a
    // Wayland session (where XScreenSaver cannot run the hack); after --idle-minutes N (1 to 1440).
    bool Idle_Start = false;
    int Idle_Minutes = 4;
};

// The request when the first argument is --register (then at most an absolute hack path,
// --idle-start and --idle-minutes N, in any order) or --unregister (alone); no request for other
// arguments. Failed with the reason where arguments that start so cannot be taken.
Result<std::optional<List_Request>> Read_List_Request(const QStringList& args);

struct List_Files {
    std::string User_File;      // ~/.xscreensaver
    std::string App_Defaults;   // the daemon's own settings, with its list of hacks
    std::string Record_Dir;     // where the records of the user's lists are kept (the user's own), with "/"
    // Runs between reading the file and writing it: another program's save lands here in tests.
    std::function<void()> Before_Write;
};

// What happened, or why nothing did.
struct List_Change : Outcome {
    int Redone = 0;   // how often the file changed between reading and writing, and was read again
};

// The folder for the records of this user's lists: $XDG_STATE_HOME/quelm3d/, or
// ~/.local/state/quelm3d/, with "/"; empty when HOME is not set.
std::string List_Record_Dir();

// Puts the hack's entry into the user's list; a line of ours already there is kept with the
// user's options and mark, only its program path brought up to date. A file without a list gets
// the daemon's list with our entry.
List_Change Register_Hack(const List_Files& files, const std::string& hack_path);
// Takes our entries out: the file as it was before registering when nothing else changed since,
// else the file with only our lines gone.
List_Change Unregister_Hack(const List_Files& files);

// Runs the request for this user (HOME); says what happened and returns the exit code.
int Change_Hack_List(const List_Request& request);
