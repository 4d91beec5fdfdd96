// A reader of Windows profile (INI) files with the profile functions' semantics:
// section and key names compared ignoring case, the first match wins, integers read from
// their leading decimal digits (none read as 0).
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

class ProfileFile {
public:
    // Loads the file; a missing or unreadable file behaves as an empty one.
    explicit ProfileFile(const std::string& path);
    // The same reading of a file's text held in memory (the fuzz target's way in).
    static ProfileFile fromText(const std::string& text);

    // The key's integer in the section, or fallback when the section or key is missing.
    int readInt(const std::string& section, const std::string& key, int fallback) const;
    // The same, nothing when the section or key is missing.
    std::optional<int> findInt(const std::string& section, const std::string& key) const;

private:
    ProfileFile() = default;
    void parse(std::istream& in);

    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> entries_;
};

// The profile integer parse: optional blanks and sign, then leading digits; no digits gives 0.
int parseProfileInt(const std::string& value);
