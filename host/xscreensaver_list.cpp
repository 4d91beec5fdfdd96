// Editing XScreenSaver's list of hacks line by line: the first list of the text is the one the
// daemon reads; its key line always stays, and so does every line that is not ours.
#include "xscreensaver_list.h"

#include <vector>

namespace {

constexpr std::string_view kKey = "programs:";
// The key line of a list that had all its commands on one line, as the daemon writes it.
constexpr std::string_view kKeyLine = "programs:\t\t\t\t\t\t\t\t      \\";
constexpr std::string_view kNewFileHeader =
    "# XScreenSaver Preferences File\n"
    "# Started by quelmscr --register: the daemon's own list of hacks, and Quelm 3D.\n\n";
constexpr std::string_view kOurNames[] = {"quelm3d", "quelmscr"};

struct Lines {
    std::vector<std::string> text;
    bool final_line_feed = false;
};

Lines Split(std::string_view text)
{
    Lines lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.text.emplace_back(text.substr(start));
            return lines;
        }
        lines.text.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.final_line_feed = !text.empty();
    return lines;
}

std::string Join(const Lines& lines)
{
    std::string out;
    for (size_t i = 0; i < lines.text.size(); ++i) {
        if (i > 0) out += '\n';
        out += lines.text[i];
    }
    if (lines.final_line_feed && !lines.text.empty()) out += '\n';
    return out;
}

// A line continues the value when it ends in an odd number of backslashes: two at the end are one
// backslash written escaped, which ends the value as any other character does.
bool Continues(std::string_view line)
{
    size_t backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\') ++backslashes;
    return backslashes % 2 == 1;
}

bool Is_Key_Line(std::string_view line) { return line.substr(0, kKey.size()) == kKey; }

// A command word without the line's "\n\" ending, then its last path part.
bool Is_Our_Word(std::string_view word)
{
    for (std::string_view tail : {"\\n\\", "\\n", "\\"})
        if (word.size() >= tail.size() && word.substr(word.size() - tail.size()) == tail) {
            word.remove_suffix(tail.size());
            break;
        }
    const size_t slash = word.rfind('/');
    if (slash != std::string_view::npos) word.remove_prefix(slash + 1);
    for (std::string_view name : kOurNames)
        if (word == name) return true;
    return false;
}

enum class Edit { Add, Remove };

// The first list with our lines taken out and, for Add, the entry put in before its last line.
std::string Edit_List(std::string_view text, Edit edit, std::string_view entry)
{
    Lines lines = Split(text);
    size_t first = 0;
    while (first < lines.text.size() && !Is_Key_Line(lines.text[first])) ++first;
    if (first == lines.text.size()) return std::string(text);
    size_t last = first;
    while (last + 1 < lines.text.size() && Continues(lines.text[last])) ++last;

    std::vector<std::string> kept{lines.text[first]};
    for (size_t i = first + 1; i <= last; ++i)
        if (!Is_Quelm_Line(lines.text[i])) kept.push_back(lines.text[i]);
    // Our line was the list's last: the line before it now ends the value.
    if (kept.size() < last - first + 1 && !Continues(lines.text[last]) && Continues(kept.back()))
        kept.back().pop_back();

    std::vector<std::string> list;
    if (edit == Edit::Remove) {
        list = kept;
    } else if (kept.size() == 1 && !Continues(kept[0])) {
        // All on the key line: the daemon's layout, a key line, our entry, then the old value.
        std::string_view value(kept[0]);
        value.remove_prefix(kKey.size());
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        list = {std::string(kKeyLine), std::string(entry), "\t\t\t\t" + std::string(value)};
    } else if (kept.size() == 1) {
        // The text ends inside the value: our entry is its last line.
        std::string last_entry(entry);
        if (Continues(last_entry)) last_entry.pop_back();
        list = {kept[0], last_entry};
    } else {
        list.assign(kept.begin(), kept.end() - 1);
        list.emplace_back(entry);
        list.push_back(kept.back());
    }
    lines.text.erase(lines.text.begin() + static_cast<std::ptrdiff_t>(first),
                     lines.text.begin() + static_cast<std::ptrdiff_t>(last + 1));
    lines.text.insert(lines.text.begin() + static_cast<std::ptrdiff_t>(first), list.begin(), list.end());
    return Join(lines);
}

}  // namespace

std::string Quelm_List_Entry(std::string_view hack_path)
{
    std::string escaped;
    for (char c : hack_path) {
        if (c == ' ') escaped += '\\';
        escaped += c;
    }
    return "  GL: \t\t\"Quelm 3D\"  " + escaped + " --root\t\t    \\n\\";
}

bool Is_Quelm_Line(std::string_view line)
{
    size_t start = 0;
    while (start < line.size()) {
        const size_t end = line.find_first_of(" \t\"", start);
        const std::string_view word = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!word.empty() && Is_Our_Word(word)) return true;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return false;
}

bool Has_Programs(std::string_view text)
{
    for (const std::string& line : Split(text).text)
        if (Is_Key_Line(line)) return true;
    return false;
}

std::string Default_Programs(std::string_view app_defaults)
{
    std::string list;
    bool inside = false;
    for (const std::string& line : Split(app_defaults).text) {
        if (!inside && line.substr(0, kKey.size() + 1) == "*" + std::string(kKey)) inside = true;
        if (!inside) continue;
        list += (list.empty() ? line.substr(1) : line) + '\n';
        if (!Continues(line)) break;
    }
    return list;
}

std::string Add_Quelm_Entry(std::string_view text, std::string_view entry) { return Edit_List(text, Edit::Add, entry); }

std::string Remove_Quelm_Entries(std::string_view text) { return Edit_List(text, Edit::Remove, {}); }

std::string Registered_Text(std::string_view text, bool file_exists, std::string_view app_defaults,
                            std::string_view entry)
{
    if (Has_Programs(text)) return Add_Quelm_Entry(text, entry);
    const std::string defaults = Default_Programs(app_defaults);
    if (defaults.empty()) return {};
    std::string head;
    if (!file_exists) {
        head = kNewFileHeader;
    } else if (!text.empty()) {
        head = std::string(text) + (text.back() == '\n' ? "\n" : "\n\n");
    }
    return head + Add_Quelm_Entry(defaults, entry);
}
