// XScreenSaver's list of hacks as text: the value of "programs:" in a user's ~/.xscreensaver (or
// of "*programs:" in the daemon's own app-defaults), a key line and continuation lines that end in
// a backslash, one command a line. Quelm 3D's entry goes in or comes out and every other line
// stays as it stands. Plain C++, no toolkit.
#pragma once

#include <string>
#include <string_view>

// The list line that runs the hack at hack_path (an absolute path; blanks in it are escaped).
std::string Quelm_List_Entry(std::string_view hack_path);

// Whether a list line runs Quelm 3D: one of its words, up to a blank or a quote, is a path whose
// last part is "quelm3d" or "quelmscr".
bool Is_Quelm_Line(std::string_view line);

// Whether the text holds a list: a line that starts with "programs:".
bool Has_Programs(std::string_view text);

// The daemon's own list from its app-defaults file, "*programs:" read as "programs:", each line
// ending in a line feed; empty when the file holds none.
std::string Default_Programs(std::string_view app_defaults);

// The text with entry as the second-to-last line of its (first) list, where any earlier line of
// ours goes out. A text without a list comes back unchanged.
std::string Add_Quelm_Entry(std::string_view text, std::string_view entry);

// The text with every line of ours taken out of its (first) list.
std::string Remove_Quelm_Entries(std::string_view text);

// What registering makes of a user's file (text; file_exists false when there is none): its own
// list with our entry, or, where it has no list, what it holds followed by the daemon's list with
// our entry. Empty when a list is needed and app_defaults holds none.
std::string Registered_Text(std::string_view text, bool file_exists, std::string_view app_defaults,
                            std::string_view entry);
