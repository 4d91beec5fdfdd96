// XScreenSaver's list of hacks as text: the value of "programs:" in a user's ~/.xscreensaver (or
// of "*programs:" in the daemon's own app-defaults). The file is read here as the daemon reads it,
// so that Quelm 3D's entry goes in or comes out with every other hack read as it was, and so that
// the entry runs the hack's path whole, whatever characters it holds. Plain C++, no toolkit.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One hack of the list as the daemon reads it: "[-] [visual:] ["name"] command".
struct Daemon_Hack {
    bool Enabled = true;                  // no leading "-"
    std::optional<std::string> Visual;    // "GL" of "GL:"
    std::optional<std::string> Name;      // the name between double quotes
    std::string Command;                  // what the daemon runs, blanks squeezed as it squeezes them
    size_t First_Line = 0, Last_Line = 0; // the physical lines (from 0) it was read from, its ending's too
    bool operator==(const Daemon_Hack&) const = default;
};

// The list the daemon reads from a user's file: the last "programs:" entry, since a later entry
// overrides an earlier one.
struct Daemon_List {
    size_t Key_Line = 0, Last_Line = 0;   // the physical line of its key, and its last one
    std::vector<Daemon_Hack> Hacks;
};

// The list as XScreenSaver 6.06 reads ~/.xscreensaver; nothing when the text holds none.
std::optional<Daemon_List> Daemon_Hacks(std::string_view text);

// The command line the daemon hands to "/bin/sh -c" for a hack's command (one with any of the
// characters *?$&!<>[];`'\"=); nothing for a command it splits at blanks and runs itself.
std::optional<std::string> Daemon_Shell_Command(std::string_view command);

// The argv of the program a hack's command runs: the command split at blanks, as the daemon hands
// it to execvp, or the words /bin/sh execs of Daemon_Shell_Command. Nothing where that holds
// shell syntax this model does not follow (expansions, globs, redirections, ...).
std::optional<std::vector<std::string>> Daemon_Argv(std::string_view command);

// Whether a hack's command runs Quelm 3D: one of its words (quotes and backslashes taken as sh
// takes them) is a path whose last part is "quelm3d" or "quelmscr".
bool Is_Quelm_Command(std::string_view command);

// The list line that runs the hack at hack_path with "--root", written so that the daemon runs
// the path whole; empty when no line can carry it (a line break or a zero byte in it).
std::string Quelm_List_Entry(std::string_view hack_path);

// Whether the daemon finds a list in the text.
bool Has_Programs(std::string_view text);

// The daemon's own list from its app-defaults file, "*programs:" read as "programs:", each line
// ending in a line feed; empty when the file holds none.
std::string Default_Programs(std::string_view app_defaults);

// What registering made of the user's list.
enum class List_Outcome {
    Added,           // our entry is new in the list (or in the daemon's list the file got)
    Already_There,   // our line was there with this path: the text is unchanged
    Path_Updated,    // our line was there with another program path: only the path changed
    No_List,         // the file has no list and the daemon's app-defaults hold none: Text empty
    Unusable_Path    // the path cannot be written so that the daemon runs it (a newline), or no
                     // way of writing it into this list reads right: Text empty
};
struct List_Registration {
    List_Outcome Outcome;
    std::string Text;   // the user's file as it is to be written
};
// What registering makes of a user's file (text; file_exists false when there is none): its own
// list with our entry (an existing line of ours kept, only its path changed), or, where it has no
// list, what it holds followed by the daemon's list with our entry.
List_Registration Register_In_List(std::string_view text, bool file_exists, std::string_view app_defaults,
                                   std::string_view hack_path);

// The text with every line of ours taken out of the list the daemon reads. A hack of ours that
// shares a line with the key or with another hack stays: taking it out would change a line that
// is not ours.
std::string Remove_Quelm_Entries(std::string_view text);
