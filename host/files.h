// Small files on disk as the host's settings, Path file and XScreenSaver list need them: read
// whole in one go, replaced whole without a moment in which they are missing or half written,
// and found by a name that ignores letter case. Plain C++, no toolkit.
#pragma once

#include "outcome.h"

#include <ctime>
#include <string>
#include <string_view>
#include <sys/types.h>

enum class File_State { Loaded, Missing, Unreadable };

// Names, keys and sections compared as the engine compares them: ASCII letters in either case.
bool Same_Ignoring_Case(std::string_view a, std::string_view b);

// Which file a path named when it was read: another program that saves the file by writing a
// new one and renaming it into place gives it a new identity, and so does one that writes it over.
struct File_Identity {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    off_t Size = 0;
    timespec Modified{};
    bool operator==(const File_Identity& other) const;
};
// The identity of the file path names now (links followed); Exists false when there is none.
File_Identity Identity_Of(const std::string& path);

struct Small_File {
    File_State State = File_State::Missing;
    std::string Text;          // empty unless Loaded
    File_Identity Identity;    // the file that was read; Exists false unless Loaded
};
// The bytes of a small text file (a regular file of at most 1 MiB, links followed): opened once
// and read to its end, so a file renamed into place meanwhile is read whole, old or new.
Small_File Read_Small_File(const std::string& path);

// Replaces the file at path with bytes without a moment in which it is missing or partly
// written: the bytes go to a new file in the same folder that then is renamed over the old
// one. A symbolic link stays a link: the file it leads to is replaced (made, where the link
// leads to a file not there yet, in a folder that must exist). The old file's permissions are
// kept. A folder that takes no new file fails the replacement, even where the old file itself
// may be written. On failure nothing is left behind, the old file is as it was, and the message
// says why.
Outcome Replace_File(const std::string& path, std::string_view bytes);

enum class Replace_Result { Replaced, Changed };
// Replace_File for a file read before: Changed, with nothing written, when the file path leads
// to is no longer the one read (expected), because another program saved it meanwhile. The check
// comes right before the rename; a save in the instant between the two is not seen.
Result<Replace_Result> Replace_File_If_Unchanged(const std::string& path, std::string_view bytes,
                                                 const File_Identity& expected);
// Removes the file path leads to (the link stays), unless it is no longer the one read: Changed.
Result<Replace_Result> Remove_File_If_Unchanged(const std::string& path, const File_Identity& expected);

// The path of name inside folder (folder ends with "/"): the exact spelling when it is a regular
// file (links followed); else, among the regular files whose names equal it ignoring ASCII case
// (Windows treats them as one file), the first in byte order; else the exact spelling. The
// engine finds its settings file by the same rule.
std::string Find_File_Ignoring_Case(const std::string& folder, const std::string& name);
