// Profile (INI) files with the Windows profile functions' semantics, for the settings dialog and
// the host's Path file:
// section and key names compared ignoring ASCII case, every other line of the file kept as it
// stands, a section removed whole. Plain C++, no toolkit: the file is edited as a list of lines.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

class Profile_File {
public:
    Profile_File() = default;
    // Splits text into lines; "\r\n" and "\n" both end a line. Every line keeps its own ending,
    // so an unchanged file renders byte for byte; new lines get the first line's ending.
    static Profile_File Parse(std::string_view text);

    // The value of key in section (blanks around it removed, one pair of enclosing quotes
    // removed), or nothing when the section or the key is missing. The first match wins.
    std::optional<std::string> Read_String(std::string_view section, std::string_view key) const;
    // Replaces the key's line when it exists, else adds "key=value" after the section's last
    // line, else adds the section at the end of the file.
    void Write_String(std::string_view section, std::string_view key, std::string_view value);
    // Removes every section of that name with all its lines; false when there was none.
    bool Erase_Section(std::string_view section);

    std::string Text() const;

private:
    // Index range [first, end) of each line block that belongs to a section of that name,
    // header line included.
    std::vector<std::pair<size_t, size_t>> Section_Blocks(std::string_view section) const;

    struct Line {
        std::string text;
        std::string end;   // "\r\n", "\n", or empty for a last line without one
    };
    // Ends a line that had none (the file's last) before another follows it.
    void End_Last_Line();

    std::vector<Line> lines_;
    std::string line_end_ = "\n";   // the file's own: that of its first line
};

// A profile integer as the settings form reads it: blanks around it, an optional sign, then
// decimal digits or "0x"/"0X" and hexadecimal digits, and nothing else. Hexadecimal takes up to
// 32 bits (read as a signed 32-bit number); decimal must fit into a signed 32-bit number.
// Anything else is not a number and gives fallback.
int Read_Profile_Integer(std::string_view value, int fallback);

// Reading a profile file from disk.
enum class Profile_Load { Loaded, Missing, Unreadable };
Profile_Load Load_Profile(const std::string& path, Profile_File& file);

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

// The bytes of a small text file (a regular file of at most 1 MiB, links followed), as
// Load_Profile reads them: opened once and read to its end, so a file renamed into place
// meanwhile is read whole, old or new. text is empty unless it is Loaded; identity (when given)
// receives the file that was read (Exists false when it is Missing).
Profile_Load Read_Small_File(const std::string& path, std::string& text, File_Identity* identity = nullptr);

// Replaces the file at path with bytes without a moment in which it is missing or partly
// written: the bytes go to a new file in the same folder that then is renamed over the old
// one. A symbolic link stays a link: the file it leads to is replaced (made, where the link
// leads to a file not there yet, in a folder that must exist). The old file's permissions are
// kept. A folder that takes no new file fails the replacement, even where the old file itself
// may be written. On failure nothing is left behind, the old file is as it was, and error says why.
bool Replace_File(const std::string& path, std::string_view bytes, std::string& error);

enum class Replace_Result { Replaced, Changed, Failed };
// Replace_File for a file read before: Changed, with nothing written, when the file path leads
// to is no longer the one read (expected), because another program saved it meanwhile. The check
// comes right before the rename; a save in the instant between the two is not seen.
Replace_Result Replace_File_If_Unchanged(const std::string& path, std::string_view bytes,
                                         const File_Identity& expected, std::string& error);
// Removes the file path leads to (the link stays), unless it is no longer the one read: Changed.
Replace_Result Remove_File_If_Unchanged(const std::string& path, const File_Identity& expected, std::string& error);

// The path of name inside folder (folder ends with "/"): the exact spelling when it is a regular
// file (links followed); else, among the regular files whose names equal it ignoring ASCII case
// (Windows treats them as one file), the first in byte order; else the exact spelling. The
// engine finds its settings file by the same rule.
std::string Find_File_Ignoring_Case(const std::string& folder, const std::string& name);
