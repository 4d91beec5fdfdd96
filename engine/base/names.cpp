// The one case-blind name comparison, and the folder lookup built on it.
#include "base/names.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

static char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    fs::path exact = fs::path(folder) / name;
    if (fs::is_regular_file(exact, ec)) return exact.string();
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (sameNameIgnoringCase(it->path().filename().string(), name) && it->is_regular_file(ec))
            matches.push_back(it->path().string());
    if (matches.empty()) return std::nullopt;
    std::sort(matches.begin(), matches.end());   // the same choice on every run
    return matches.front();
}
