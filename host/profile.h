// Profile (INI) files with the Windows profile functions' semantics, for the settings dialog and
// the host's Path file: section and key names compared ignoring ASCII case, every other line of
// the file kept as it stands, a section removed whole. Plain C++, no toolkit: the file is edited
// as a list of lines.
#pragma once

#include "files.h"

#include <optional>
#include <string>
#include <string_view>
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

// Reads a profile file from disk (as Read_Small_File reads it); an empty profile unless Loaded.
File_State Load_Profile(const std::string& path, Profile_File& file);
