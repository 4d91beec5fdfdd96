// XScreenSaver's list, shared by the files that make up its model: the daemon's reader of the
// file (xscreensaver_list.cpp), its rule for running a command and the shell's words with our
// entry's command (xscreensaver_list_shell.cpp), and the editor that writes our entry in and out
// (xscreensaver_list_edit.cpp). Not for use outside them.
#pragma once

#include "xscreensaver_list.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace daemon_list {

inline constexpr std::string_view kKey = "programs";
// The key line of a list that had commands on it, as the daemon writes it (after the key's colon).
inline constexpr std::string_view kKeyLinePad = "\t\t\t\t\t\t\t\t      \\";
// The indent of the commands that came off such a key line.
inline constexpr std::string_view kCommandIndent = "\t\t\t\t";
inline constexpr std::string_view kNewFileHeader =
    "# XScreenSaver Preferences File\n"
    "# Started by quelmscr --register: the daemon's own list of hacks, and Quelm 3D.\n\n";
inline constexpr std::string_view kOurNames[] = {"quelm3d", "quelmscr"};
inline constexpr std::string_view kEntryVisual = "GL", kEntryName = "Quelm 3D", kEntryOption = "--root";
inline constexpr std::string_view kEntryHead = "  GL: \t\t\"Quelm 3D\"  ", kEntryTail = "\t\t    \\n\\";
// A command holding any of these runs through /bin/sh; any other is split at blanks (exec.c).
inline constexpr std::string_view kShellCharacters = "*?$&!<>[];`'\\\"=";
// Expands to nothing (the shell's process id, all of it cut off) and is the one expansion the
// model follows. It goes before a path with a "=" in it: the daemon takes the words before the
// first blank that hold a "=" for variable settings and puts its "exec" after them, and the
// blank in here comes first. It also keeps a ':' of the path from being read as a visual.
inline constexpr std::string_view kEmptyExpansion = "${$%%[! ]*}";

// ---- The file's physical lines

struct Lines {
    std::vector<std::string> text;
    bool final_line_feed = false;
};

Lines Split(std::string_view text);
std::string Join(const Lines& lines);

// The physical line of a byte of the text.
class Line_Index {
public:
    explicit Line_Index(std::string_view text)
    {
        for (size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '\n') starts_.push_back(i + 1);
    }
    size_t Of(size_t offset) const
    {
        return static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
    }
    size_t Start(size_t line) const { return starts_[line]; }

private:
    std::vector<size_t> starts_{0};
};

// ---- The daemon's reader

// A character of an entry as the reader leaves it, and the bytes [from, to) of the text it came
// from (two for an escape).
struct Read_Char {
    char c;
    size_t from, to;
};

// One entry of the file ("key: value"), its lines joined and unescaped.
struct Read_Entry {
    size_t first_line = 0, last_line = 0;
    std::vector<Read_Char> chars;
};

// One hack of the list, with where its text lies in the entry.
struct Hack_Text {
    Daemon_Hack hack;
    size_t begin = 0, end = 0;          // its characters; end: its line break, or the value's end
    std::vector<size_t> command_at;     // where each character of its command came from
};

struct List_Text {
    Read_Entry entry;
    size_t key_line = 0;   // the physical line of the key's colon (blank lines may come before it)
    size_t colon = 0, value_begin = 0, value_end = 0;
    std::vector<Hack_Text> hacks;
};

// The list the daemon reads: the value of the last entry whose key is "programs" (in any case),
// split into hacks at its line breaks as get_screenhacks splits it.
std::optional<List_Text> Find_List(std::string_view text);
// Whether two hacks read the same (where they lie aside).
bool Same_Reading(const Daemon_Hack& a, const Daemon_Hack& b);
// How many backslashes end the line.
size_t Trailing_Backslashes(std::string_view line);

// ---- The daemon's exec rule and the shell

struct Shell_Word {
    std::string value;
    size_t begin = 0, end = 0;   // in the command
    bool quoted = false;         // some of it quoted or escaped
    bool assignment = false;     // NAME=... (the name unquoted)
};

// The words sh makes of a command: blanks between words, '...', "..." and backslashes taken as sh
// takes them, kEmptyExpansion as nothing. strict: nothing where the command holds other shell
// syntax (expansions, globs, operators, a comment, a tilde), or an unclosed quote; otherwise such
// characters are taken as they stand.
std::optional<std::vector<Shell_Word>> Shell_Words(std::string_view command, bool strict);
std::vector<Shell_Word> Lenient_Words(std::string_view command);
// The command exec_complex_command hands to the shell (see xscreensaver_list_shell.cpp).
std::string Shell_Command(std::string_view command);
bool Runs_Through_Shell(std::string_view command);

// ---- Our entry

// The first word of a command that runs Quelm 3D.
std::optional<Shell_Word> Our_Word(std::string_view command);
// A word as the daemon's command holds it: plain as it is, anything else in single quotes (a quote
// in it as '\''), after kEmptyExpansion where guarded.
std::string Command_Word(std::string_view word, bool guarded);
// A command's text as the file holds it: the reader takes every backslash for an escape.
std::string File_Text(std::string_view command);
// A command that runs argv.
std::string Command_Of(const std::vector<std::string>& argv, bool guarded);
bool Is_Our_Entry(const Daemon_Hack& hack, std::string_view path);
std::string Entry_Line(std::string_view command);
// Our entry's command as the daemon is to read it: the path's word (guarded where it takes that),
// then "--root". Nothing where no line can carry the path.
std::optional<std::string> Our_Command(std::string_view path);
// Whether a command of ours runs path: one of the argv the daemon runs, or, where the model cannot
// follow the shell, its word of ours.
bool Runs_Path(std::string_view command, std::string_view path);

}  // namespace daemon_list
