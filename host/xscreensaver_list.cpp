// XScreenSaver's list read as the daemon reads it (prefs.c: parse_init_file, get_screenhacks,
// parse_screenhack, format_command), the physical lines each hack came from kept, and the daemon's
// own list from its app-defaults file.
#include "xscreensaver_list_impl.h"

#include <algorithm>

namespace daemon_list {

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

namespace {

// As parse_init_file: while the joined text is longer than two bytes and ends in a backslash and
// a line feed, both go and the next line is taken on (at the end of the file without a line feed,
// the last two bytes go when the first is a backslash); only then is every other backslash an
// escape ("\n", "\r", "\t", or the character after it; a lone one at the end ends the text).
// Left out: the daemon reads through a buffer of 1 KiB at first, and where a longer line's first
// 1022 bytes end in a backslash it drops two bytes there as at a line's end. Also left out: a
// zero byte, where the daemon's text ends.
std::vector<Read_Entry> Read_Entries(std::string_view text)
{
    std::vector<Read_Entry> entries;
    size_t at = 0, line = 0;
    while (at < text.size()) {
        Read_Entry entry;
        entry.first_line = line;
        std::vector<std::pair<char, size_t>> joined;   // each byte and where it was
        auto take_line = [&] {
            while (at < text.size()) {
                joined.emplace_back(text[at], at);
                if (text[at++] == '\n') break;
            }
        };
        take_line();
        for (;;) {
            const size_t n = joined.size();
            if (n <= 2 || (joined[n - 1].first == '\n' && joined[n - 2].first != '\\')) break;
            if (joined[n - 2].first == '\\') joined.resize(n - 2);
            if (at == text.size()) break;
            ++line;
            take_line();
        }
        entry.last_line = line++;
        for (size_t i = 0; i < joined.size(); ++i) {
            const auto [c, from] = joined[i];
            if (c != '\\') {
                entry.chars.push_back({c, from, from + 1});
                continue;
            }
            if (i + 1 == joined.size()) break;
            const char next = joined[i + 1].first;
            entry.chars.push_back({next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next, from,
                                   joined[i + 1].second + 1});
            ++i;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

// prefs.c's strip() and the C library's isspace().
bool Is_Stripped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool Is_Space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// As parse_screenhack and format_command: a "-", a word ending in ':' (the visual), a name in
// double quotes, then the command, its blanks squeezed to one up to the first quote or backslash
// (from there on it is copied as it is), trailing blanks gone.
Hack_Text Parse_Hack(const std::vector<Read_Char>& chars, size_t begin, size_t end)
{
    Hack_Text h;
    h.begin = begin;
    h.end = end;
    size_t p = begin;
    auto skip_spaces = [&] {
        while (p < end && Is_Space(chars[p].c)) ++p;
    };
    auto text = [&](size_t from, size_t to) {
        std::string s;
        for (size_t i = from; i < to; ++i) s += chars[i].c;
        return s;
    };
    skip_spaces();
    if (p < end && chars[p].c == '-') {
        h.hack.Enabled = false;
        ++p;
        skip_spaces();
    }
    size_t q = p;
    while (q < end && chars[q].c != ':' && chars[q].c != '"' && !Is_Space(chars[q].c)) ++q;
    if (q < end && chars[q].c == ':') {
        h.hack.Visual = text(p, q);
        p = q + 1;
        skip_spaces();
    }
    if (p < end && chars[p].c == '"') {
        q = ++p;
        while (q < end && chars[q].c != '"') ++q;
        h.hack.Name = text(p, q);
        p = q < end ? q + 1 : q;
        skip_spaces();
    }
    std::string& command = h.hack.Command;
    while (p < end) {
        const char c = chars[p].c;
        if (c == '\'' || c == '"' || c == '`' || c == '\\') {
            for (; p < end; ++p) {
                command += chars[p].c;
                h.command_at.push_back(p);
            }
        } else if (c == ' ' || c == '\t') {
            command += ' ';
            h.command_at.push_back(p);
            while (p < end && (chars[p].c == ' ' || chars[p].c == '\t')) ++p;
        } else {
            command += c;
            h.command_at.push_back(p++);
        }
    }
    while (!command.empty() && Is_Space(command.back())) {
        command.pop_back();
        h.command_at.pop_back();
    }
    return h;
}

bool Is_Programs_Key(const std::vector<Read_Char>& chars, size_t from, size_t to)
{
    if (to - from != kKey.size()) return false;
    for (size_t i = 0; i < kKey.size(); ++i) {
        char c = chars[from + i].c;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kKey[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<List_Text> Find_List(std::string_view text)
{
    const Line_Index lines(text);
    std::optional<List_Text> list;
    for (Read_Entry& entry : Read_Entries(text)) {
        const std::vector<Read_Char>& chars = entry.chars;
        size_t begin = 0, end = chars.size();
        while (begin < end && Is_Stripped(chars[begin].c)) ++begin;
        while (end > begin && Is_Stripped(chars[end - 1].c)) --end;
        if (begin == end || chars[begin].c == '#' || chars[begin].c == '!' || chars[begin].c == ';') continue;
        size_t colon = begin;
        while (colon < end && chars[colon].c != ':') ++colon;
        if (colon == end || !Is_Programs_Key(chars, begin, colon)) continue;
        size_t value = colon + 1;
        while (value < end && Is_Stripped(chars[value].c)) ++value;
        const size_t key_line = lines.Of(chars[colon].to - 1);
        list = List_Text{std::move(entry), key_line, colon, value, end, {}};
    }
    if (!list) return list;

    const std::vector<Read_Char>& chars = list->entry.chars;
    for (size_t start = list->value_begin; start < list->value_end;) {
        while (start < list->value_end && (chars[start].c == ' ' || chars[start].c == '\t' || chars[start].c == '\n'))
            ++start;
        if (start == list->value_end) break;
        size_t end = start;
        while (end < list->value_end && chars[end].c != '\n') ++end;
        Hack_Text h = Parse_Hack(chars, start, end);
        const size_t last = end < list->value_end ? end : end - 1;
        h.hack.First_Line = lines.Of(chars[start].from);
        h.hack.Last_Line = lines.Of(chars[last].to - 1);
        list->hacks.push_back(std::move(h));
        start = end + 1;
    }
    return list;
}

bool Same_Reading(const Daemon_Hack& a, const Daemon_Hack& b)
{
    return a.Enabled == b.Enabled && a.Visual == b.Visual && a.Name == b.Name && a.Command == b.Command;
}

size_t Trailing_Backslashes(std::string_view line)
{
    size_t backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\') ++backslashes;
    return backslashes;
}

}  // namespace daemon_list

using namespace daemon_list;

std::optional<Daemon_List> Daemon_Hacks(std::string_view text)
{
    const std::optional<List_Text> list = Find_List(text);
    if (!list) return std::nullopt;
    Daemon_List out;
    out.Key_Line = list->key_line;
    out.Last_Line = list->entry.last_line;
    for (const Hack_Text& h : list->hacks) out.Hacks.push_back(h.hack);
    return out;
}

bool Has_Programs(std::string_view text) { return Find_List(text).has_value(); }

std::string Default_Programs(std::string_view app_defaults)
{
    // The app-defaults file is an X resource file: a line continues where it ends in an odd
    // number of backslashes.
    std::string list;
    bool inside = false;
    for (const std::string& line : Split(app_defaults).text) {
        if (!inside && line.substr(0, kKey.size() + 2) == "*" + std::string(kKey) + ":") inside = true;
        if (!inside) continue;
        list += (list.empty() ? line.substr(1) : line) + '\n';
        if (Trailing_Backslashes(line) % 2 == 0) break;
    }
    return list;
}
