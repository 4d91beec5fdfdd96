// Profile file parsing.
#include "base/profile.h"

#include "base/names.h"

#include <climits>
#include <fstream>
#include <sstream>

static std::string trim(const std::string& s)
{
    size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    size_t last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

ProfileFile::ProfileFile(const std::string& path)
{
    std::ifstream in(path);
    parse(in);
}

ProfileFile ProfileFile::fromText(const std::string& text)
{
    std::istringstream in(text);
    ProfileFile file;
    file.parse(in);
    return file;
}

void ProfileFile::parse(std::istream& in)
{
    std::string line, section;
    bool inSection = false;
    while (std::getline(in, line)) {
        std::string text = trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            size_t close = text.find(']');
            section = trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            inSection = true;
            continue;
        }
        size_t equals = text.find('=');
        if (!inSection || equals == std::string::npos) continue;
        entries_.push_back({section, trim(text.substr(0, equals)), trim(text.substr(equals + 1))});
    }
}

std::optional<int> ProfileFile::findInt(const std::string& section, const std::string& key) const
{
    for (const Entry& e : entries_)
        if (sameNameIgnoringCase(e.section, section) && sameNameIgnoringCase(e.key, key)) return parseProfileInt(e.value);
    return std::nullopt;
}

int ProfileFile::readInt(const std::string& section, const std::string& key, int fallback) const
{
    return findInt(section, key).value_or(fallback);
}

int parseProfileInt(const std::string& value)
{
    size_t i = value.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    bool negative = false;
    if (value[i] == '-' || value[i] == '+') negative = value[i++] == '-';
    long long result = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10 + (value[i] - '0');
        if (result > INT_MAX) return negative ? INT_MIN : INT_MAX;   // saturate, never overflow
    }
    return static_cast<int>(negative ? -result : result);
}
