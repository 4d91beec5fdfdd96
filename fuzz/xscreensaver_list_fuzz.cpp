// Fuzzes the editor of XScreenSaver's list (a user's ~/.xscreensaver, split at its first zero byte
// from the daemon's app-defaults text). Taking our line out twice must change nothing more, what
// comes before the list must stay as it is, a text without a line of ours must come back byte for
// byte, and a text with a list must get our entry as one of its lines.
#include "xscreensaver_list.h"

#include <cstdlib>
#include <string>
#include <vector>

static void Check(bool condition)
{
    if (!condition) std::abort();
}

static std::vector<std::string> Lines_Of(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The text up to its first line that starts a list.
static std::string Before_List(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && text.compare(at, 9, "programs:") != 0) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos) return text;
        at = end + 1;
    }
    return text.substr(0, at);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string text = input.substr(0, split);
    const std::string app_defaults = split == std::string::npos ? std::string() : input.substr(split + 1);
    const std::string entry = Quelm_List_Entry("/usr/libexec/xscreensaver/quelm3d");

    const std::string removed = Remove_Quelm_Entries(text);
    Check(Remove_Quelm_Entries(removed) == removed);
    const std::string head = Before_List(text);
    Check(removed.compare(0, head.size(), head) == 0);
    bool ours = false;
    for (const std::string& line : Lines_Of(text)) ours = ours || Is_Quelm_Line(line);
    if (!ours) Check(removed == text);

    const std::string added = Add_Quelm_Entry(text, entry);
    Check(added.compare(0, head.size(), head) == 0);
    if (Has_Programs(text)) {
        bool found = false;
        for (const std::string& line : Lines_Of(added))
            found = found || line == entry || line == entry.substr(0, entry.size() - 1);
        Check(found);
    } else {
        Check(added == text);
    }

    const std::string defaults = Default_Programs(app_defaults);
    Check(defaults.empty() || (defaults.compare(0, 9, "programs:") == 0 && defaults.back() == '\n'));
    const std::string registered = Registered_Text(text, true, app_defaults, entry);
    Check(registered.empty() == (!Has_Programs(text) && defaults.empty()));
    if (!registered.empty()) Check(Has_Programs(registered));
    return 0;
}
