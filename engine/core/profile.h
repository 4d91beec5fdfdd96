// A reader of Windows profile (INI) files with the profile functions' semantics:
// section and key names compared ignoring case, the first match wins, integers read from
// their leading decimal digits (none read as 0).
#pragma once

#include <optional>
#include <string>
#include <vector>

class ProfileFile {
public:
    // Loads the file; a missing or unreadable file behaves as an empty one.
    explicit ProfileFile(const std::string& path);

    // The key's integer in the section, or fallback when the section or key is missing.
    int readInt(const std::string& section, const std::string& key, int fallback) const;

private:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> entries_;
};

// The profile integer parse: optional blanks and sign, then leading digits; no digits gives 0.
int parseProfileInt(const std::string& value);

// The path of name inside folder: the exact spelling when it exists, else the first entry
// whose name equals it ignoring ASCII case; nothing when neither exists.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name);
