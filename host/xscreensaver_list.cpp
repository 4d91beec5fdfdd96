// XScreenSaver's list read as the daemon reads it (prefs.c: parse_init_file, get_screenhacks,
// parse_screenhack, format_command; exec.c: exec_command), and edited line by line: the key line
// and every line that is not ours stay, and each edit is read back through the model before it is
// taken.
#include "xscreensaver_list.h"

#include <algorithm>

namespace {

constexpr std::string_view kKey = "programs";
// The key line of a list that had commands on it, as the daemon writes it (after the key's colon).
constexpr std::string_view kKeyLinePad = "\t\t\t\t\t\t\t\t      \\";
// The indent of the commands that came off such a key line.
constexpr std::string_view kCommandIndent = "\t\t\t\t";
constexpr std::string_view kNewFileHeader =
    "# XScreenSaver Preferences File\n"
    "# Started by quelmscr --register: the daemon's own list of hacks, and Quelm 3D.\n\n";
constexpr std::string_view kOurNames[] = {"quelm3d", "quelmscr"};
constexpr std::string_view kEntryVisual = "GL", kEntryName = "Quelm 3D", kEntryOption = "--root";
constexpr std::string_view kEntryHead = "  GL: \t\t\"Quelm 3D\"  ", kEntryTail = "\t\t    \\n\\";
// A command holding any of these runs through /bin/sh; any other is split at blanks (exec.c).
constexpr std::string_view kShellCharacters = "*?$&!<>[];`'\\\"=";
// Expands to nothing (the shell's process id, all of it cut off) and is the one expansion the
// model follows. It goes before a path with a "=" in it: the daemon takes the words before the
// first blank that hold a "=" for variable settings and puts its "exec" after them, and the
// blank in here comes first. It also keeps a ':' of the path from being read as a visual.
constexpr std::string_view kEmptyExpansion = "${$%%[! ]*}";

// ---- The file's physical lines

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

// The physical line of a byte of the text.
class Line_Index {
public:
    explicit Line_Index(std::string_view text)
    {
        for (size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '\n') starts_.push_back(i + 1);
    }
    size_t Of(size_t offset) const
    {
        return static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin()) - 1;
    }
    size_t Start(size_t line) const { return starts_[line]; }

private:
    std::vector<size_t> starts_{0};
};

// ---- The daemon's reader

// A character of an entry as the reader leaves it, and the bytes [from, to) of the text it came
// from (two for an escape).
struct Read_Char {
    char c;
    size_t from, to;
};

// One entry of the file ("key: value"), its lines joined and unescaped.
struct Read_Entry {
    size_t first_line = 0, last_line = 0;
    std::vector<Read_Char> chars;
};

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

// One hack of the list, with where its text lies in the entry.
struct Hack_Text {
    Daemon_Hack hack;
    size_t begin = 0, end = 0;          // its characters; end: its line break, or the value's end
    std::vector<size_t> command_at;     // where each character of its command came from
};

struct List_Text {
    Read_Entry entry;
    size_t key_line = 0;   // the physical line of the key's colon (blank lines may come before it)
    size_t colon = 0, value_begin = 0, value_end = 0;
    std::vector<Hack_Text> hacks;
};

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

// The list the daemon reads: the value of the last entry whose key is "programs" (in any case),
// split into hacks at its line breaks as get_screenhacks splits it.
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

// ---- The daemon's exec rule and the shell

struct Shell_Word {
    std::string value;
    size_t begin = 0, end = 0;   // in the command
    bool quoted = false;         // some of it quoted or escaped
    bool assignment = false;     // NAME=... (the name unquoted)
};

bool Is_Name_Character(char c, bool first)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (!first && c >= '0' && c <= '9');
}

// The words sh makes of a command: blanks between words, '...', "..." and backslashes taken as sh
// takes them, kEmptyExpansion as nothing. strict: nothing where the command holds other shell
// syntax (expansions, globs, operators, a comment, a tilde), or an unclosed quote; otherwise such
// characters are taken as they stand.
std::optional<std::vector<Shell_Word>> Shell_Words(std::string_view command, bool strict)
{
    constexpr std::string_view kOperators = "|&;<>()$`*?[", kEscapedInQuotes = "$`\"\\";
    std::vector<Shell_Word> words;
    const size_t n = command.size();
    size_t i = 0;
    for (;;) {
        while (i < n && (command[i] == ' ' || command[i] == '\t')) ++i;
        if (i == n) return words;
        Shell_Word w;
        w.begin = i;
        bool name_so_far = true, expanded = false;
        while (i < n && command[i] != ' ' && command[i] != '\t') {
            const char c = command[i];
            if (command.substr(i, kEmptyExpansion.size()) == kEmptyExpansion) {
                i += kEmptyExpansion.size();
                expanded = true;
                name_so_far = false;
            } else if (c == '\'') {
                size_t close = command.find('\'', i + 1);
                if (close == std::string_view::npos) {
                    if (strict) return std::nullopt;
                    close = n;
                }
                w.value += command.substr(i + 1, close - i - 1);
                i = std::min(close + 1, n);
                w.quoted = true;
                name_so_far = false;
            } else if (c == '"') {
                for (++i; i < n && command[i] != '"'; ++i) {
                    const bool escape = command[i] == '\\' && i + 1 < n &&
                                        kEscapedInQuotes.find(command[i + 1]) != std::string_view::npos;
                    if (escape)
                        ++i;
                    else if (strict && (command[i] == '$' || command[i] == '`'))
                        return std::nullopt;
                    w.value += command[i];
                }
                if (i == n && strict) return std::nullopt;
                i = std::min(i + 1, n);
                w.quoted = true;
                name_so_far = false;
            } else if (c == '\\' && i + 1 < n) {
                w.value += command[i + 1];
                i += 2;
                w.quoted = true;
                name_so_far = false;
            } else {
                if (strict && (c == '\\' || kOperators.find(c) != std::string_view::npos ||
                               ((c == '#' || c == '~') && i == w.begin)))
                    return std::nullopt;
                if (c == '=' && name_so_far && !w.value.empty() && !w.assignment) w.assignment = true;
                if (!Is_Name_Character(c, w.value.empty())) name_so_far = false;
                w.value += c;
                ++i;
            }
        }
        w.end = i;
        // An unquoted expansion to nothing, alone, is no word at all.
        if (!w.value.empty() || w.quoted || !expanded) words.push_back(std::move(w));
    }
}

std::vector<Shell_Word> Lenient_Words(std::string_view command) { return *Shell_Words(command, false); }

// The command exec_complex_command hands to the shell: "exec " put before the command, or after
// its leading words that hold a "=" (up to the first blank after a word without one). The loop
// reads the command as the daemon's loop does, which steps over the first character of the word
// after such a word.
std::string Shell_Command(std::string_view command)
{
    while (!command.empty() && (command.front() == ' ' || command.front() == '\t')) command.remove_prefix(1);
    size_t after_settings = 0;
    bool got_eq = false;
    for (size_t s = 0; s < command.size(); ++s) {
        if (command[s] == '=') {
            got_eq = true;
        } else if (command[s] == ' ') {
            if (!got_eq) break;
            while (s < command.size() && (command[s] == ' ' || command[s] == '\t')) ++s;
            after_settings = s;
            got_eq = false;
        }
    }
    return std::string(command.substr(0, after_settings)) + "exec " + std::string(command.substr(after_settings));
}

bool Runs_Through_Shell(std::string_view command)
{
    return command.find_first_of(kShellCharacters) != std::string_view::npos;
}

// ---- Our entry

std::string_view Last_Part(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool Is_Our_Word(std::string_view word)
{
    return std::find(std::begin(kOurNames), std::end(kOurNames), Last_Part(word)) != std::end(kOurNames);
}

// The first word of a command that runs Quelm 3D.
std::optional<Shell_Word> Our_Word(std::string_view command)
{
    for (Shell_Word& word : Lenient_Words(command))
        if (Is_Our_Word(word.value)) return std::move(word);
    return std::nullopt;
}

bool Is_Plain(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._+-,:@%").find(c) != std::string_view::npos;
}

// A word as the daemon's command holds it: plain as it is, anything else in single quotes (a quote
// in it as '\''), after kEmptyExpansion where guarded.
std::string Command_Word(std::string_view word, bool guarded)
{
    if (!guarded && !word.empty() && std::all_of(word.begin(), word.end(), Is_Plain)) return std::string(word);
    std::string quoted(guarded ? kEmptyExpansion : "");
    quoted += '\'';
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + '\'';
}

// A command's text as the file holds it: the reader takes every backslash for an escape.
std::string File_Text(std::string_view command)
{
    std::string text;
    for (char c : command) {
        if (c == '\\') text += '\\';
        text += c;
    }
    return text;
}

// A command that runs argv.
std::string Command_Of(const std::vector<std::string>& argv, bool guarded)
{
    std::string command;
    for (size_t i = 0; i < argv.size(); ++i) command += (i ? " " : "") + Command_Word(argv[i], guarded && i == 0);
    return command;
}

bool Can_Carry(std::string_view path)
{
    return path.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}

bool Is_Our_Entry(const Daemon_Hack& hack, std::string_view path)
{
    const auto argv = Daemon_Argv(hack.Command);
    return hack.Enabled && hack.Visual == kEntryVisual && hack.Name == kEntryName && argv &&
           *argv == std::vector<std::string>{std::string(path), std::string(kEntryOption)};
}

std::string Entry_Line(std::string_view command)
{
    return std::string(kEntryHead) + File_Text(command) + std::string(kEntryTail);
}

// Our entry's command as the daemon is to read it: the path's word (guarded where it takes that),
// then "--root". Nothing where no line can carry the path.
std::optional<std::string> Our_Command(std::string_view path)
{
    if (!Can_Carry(path)) return std::nullopt;
    for (bool guarded : {false, true}) {
        const std::string command = Command_Word(path, guarded) + " " + std::string(kEntryOption);
        const std::optional<List_Text> list = Find_List("programs:\t\\\n" + Entry_Line(command) + "\n");
        if (list && list->hacks.size() == 1 && Is_Our_Entry(list->hacks[0].hack, path)) return command;
    }
    return std::nullopt;
}

// Whether a command of ours runs path: one of the argv the daemon runs, or, where the model cannot
// follow the shell, its word of ours.
bool Runs_Path(std::string_view command, std::string_view path)
{
    if (const auto argv = Daemon_Argv(command)) return std::find(argv->begin(), argv->end(), path) != argv->end();
    return Our_Word(command)->value == path;
}

// ---- Editing

// Whether the text's list is read with its key on key_line and the hacks of expected, and, with
// a path, one more anywhere among them: our entry for that path.
bool Reads_As(std::string_view text, size_t key_line, const std::vector<Hack_Text>& expected,
              std::optional<std::string_view> ours = std::nullopt)
{
    const std::optional<List_Text> list = Find_List(text);
    if (!list || list->key_line != key_line) return false;
    const std::vector<Hack_Text>& hacks = list->hacks;
    const size_t extra = ours ? 1 : 0;
    if (hacks.size() != expected.size() + extra) return false;
    size_t prefix = 0, suffix = 0;
    while (prefix < expected.size() && Same_Reading(hacks[prefix].hack, expected[prefix].hack)) ++prefix;
    if (!ours) return prefix == expected.size();
    while (suffix < expected.size() &&
           Same_Reading(hacks[hacks.size() - 1 - suffix].hack, expected[expected.size() - 1 - suffix].hack))
        ++suffix;
    for (size_t at = expected.size() - suffix; at <= prefix; ++at)
        if (Is_Our_Entry(hacks[at].hack, *ours)) return true;
    return false;
}

// The text without the lines that hold nothing but the text of the hacks in gone (their line
// breaks included), the key line kept. Where the list's last line goes and a line follows the list,
// the list's new last line loses its final backslashes, so the value stops there. Nothing when no
// line would go.
std::optional<std::string> Drop_Hacks(std::string_view text, const List_Text& list, const std::vector<bool>& gone)
{
    const Line_Index index(text);
    const size_t first = list.entry.first_line, count = list.entry.last_line - first + 1;
    std::vector<char> going(count, 0), staying(count, 0);   // per line of the list: whose text it holds
    auto mark = [&](const Read_Char& c, std::vector<char>& owners) {
        owners[index.Of(c.from) - first] = 1;
        owners[index.Of(c.to - 1) - first] = 1;
    };
    const std::vector<Read_Char>& chars = list.entry.chars;
    for (size_t k = 0, h = 0; k < chars.size(); ++k) {
        if (k <= list.colon) {
            mark(chars[k], staying);
            continue;
        }
        while (h < list.hacks.size() && k > list.hacks[h].end) ++h;
        if (h < list.hacks.size() && k >= list.hacks[h].begin && k < list.value_end)
            mark(chars[k], gone[h] ? going : staying);
    }
    // A line inside a hack that goes and with nothing of its own left (a blank line the backslash
    // before it took in) goes with it.
    for (size_t h = 0; h < list.hacks.size(); ++h)
        for (size_t line = list.hacks[h].hack.First_Line + 1; gone[h] && line < list.hacks[h].hack.Last_Line; ++line)
            if (!staying[line - first]) going[line - first] = 1;
    Lines lines = Split(text);
    std::vector<std::string> kept;
    size_t new_last = 0;
    bool last_dropped = false;
    for (size_t i = 0; i < lines.text.size(); ++i) {
        const bool in_list = i >= first && i - first < count;
        if (in_list && going[i - first] && !staying[i - first]) {
            last_dropped = i - first == count - 1;
            continue;
        }
        if (in_list) new_last = kept.size();
        kept.push_back(std::move(lines.text[i]));
    }
    if (kept.size() == lines.text.size()) return std::nullopt;
    if (last_dropped && first + count < lines.text.size())
        while (!kept[new_last].empty() && kept[new_last].back() == '\\') kept[new_last].pop_back();
    // An empty line that now ends a text without a final line feed keeps its own line feed.
    if (!kept.empty() && kept.back().empty()) lines.final_line_feed = true;
    lines.text = std::move(kept);
    return Join(lines);
}

// The text with the list's lines replaced by the hacks, one a line as the daemon's own writer
// (format_hack) lays them out; the key is then on the list's first line.
std::string Written_Anew(std::string_view text, const List_Text& list, const std::vector<Daemon_Hack>& hacks)
{
    Lines lines = Split(text);
    std::vector<std::string> written{std::string(kKey) + ":" + std::string(kKeyLinePad)};
    for (const Daemon_Hack& h : hacks) {
        std::string line = h.Enabled ? "  " : "- ";
        if (h.Visual) line += File_Text(*h.Visual) + ": ";
        if (h.Name) line += "\"" + File_Text(*h.Name) + "\"  ";
        // A hack of nothing at all: a vertical tab, which neither the value's strip nor the split
        // skips, and the hack's parser does.
        if (line == "  " && h.Command.empty()) line += '\v';
        written.push_back(line + File_Text(h.Command) + " \\n\\");
    }
    written.back().pop_back();
    const auto first = lines.text.begin() + static_cast<std::ptrdiff_t>(list.entry.first_line);
    lines.text.erase(first, lines.text.begin() + static_cast<std::ptrdiff_t>(list.entry.last_line + 1));
    lines.text.insert(lines.text.begin() + static_cast<std::ptrdiff_t>(list.entry.first_line), written.begin(),
                      written.end());
    return Join(lines);
}

// The text with our entry for path put into its list (which holds no line of ours), in the first
// place of these that reads right: before the first line of a hack (the last one first: our entry
// is then the list's second-to-last line), right after the key line, at the list's end where the
// text ends inside it, on a line of its own after the key where commands stood on the key line
// (the daemon's layout), or with the list written anew.
std::optional<std::string> Add_Entry(std::string_view text, const List_Text& list, std::string_view path)
{
    const std::string command = *Our_Command(path), entry = Entry_Line(command);
    const std::string last_entry = entry.substr(0, entry.size() - 1);
    const Lines lines = Split(text);
    const size_t key_line = list.key_line, last_line = list.entry.last_line;
    auto inserted = [&](size_t at, std::vector<std::string> new_lines, size_t replaced = 0) {
        Lines out = lines;
        out.text.erase(out.text.begin() + static_cast<std::ptrdiff_t>(at),
                       out.text.begin() + static_cast<std::ptrdiff_t>(at + replaced));
        out.text.insert(out.text.begin() + static_cast<std::ptrdiff_t>(at), new_lines.begin(), new_lines.end());
        return Join(out);
    };
    auto reads = [&](const std::string& candidate) { return Reads_As(candidate, key_line, list.hacks, path); };

    std::vector<size_t> places;
    for (auto h = list.hacks.rbegin(); h != list.hacks.rend(); ++h)
        if (h->hack.First_Line > key_line) places.push_back(h->hack.First_Line);
    if (last_line > key_line && (places.empty() || places.back() != key_line + 1)) places.push_back(key_line + 1);
    for (size_t place : places)
        if (std::string candidate = inserted(place, {entry}); reads(candidate)) return candidate;

    if (last_line + 1 == lines.text.size() && !lines.text[last_line].empty() && lines.text[last_line].back() == '\\')
        if (std::string candidate = inserted(last_line + 1, {last_entry}); reads(candidate)) return candidate;

    // The key line split after its colon: the commands that were on it go on a line of their own.
    const Line_Index index(text);
    const std::vector<Read_Char>& chars = list.entry.chars;
    if (index.Of(chars[list.colon].to - 1) == key_line) {
        const std::string& key_text = lines.text[key_line];
        const std::string new_key =
            key_text.substr(0, chars[list.colon].to - index.Start(key_line)) + std::string(kKeyLinePad);
        if (list.value_begin < list.value_end && index.Of(chars[list.value_begin].from) == key_line) {
            const std::string commands =
                std::string(kCommandIndent) + key_text.substr(chars[list.value_begin].from - index.Start(key_line));
            if (std::string candidate = inserted(key_line, {new_key, entry, commands}, 1); reads(candidate))
                return candidate;
        } else if (last_line == key_line) {
            if (std::string candidate = inserted(key_line, {new_key, last_entry}, 1); reads(candidate))
                return candidate;
        }
    }

    // The list written anew, each hack as the daemon's own writer lays it out.
    std::vector<Daemon_Hack> hacks;
    for (const Hack_Text& h : list.hacks) hacks.push_back(h.hack);
    hacks.insert(hacks.end() - (hacks.empty() ? 0 : 1), Daemon_Hack{true, std::string(kEntryVisual),
                                                                     std::string(kEntryName), command});
    std::string candidate = Written_Anew(text, list, hacks);
    if (Reads_As(candidate, list.entry.first_line, list.hacks, path)) return candidate;
    return std::nullopt;
}

// The text with the program path of our hack (list.hacks[i]) changed to path, in the first way of
// these that reads right: the word of ours replaced (when it is an absolute path or a bare name,
// not the end of a path the daemon split at a blank), the command written anew from its argv with
// that word replaced, the command written anew as the path with the arguments that followed the
// word (with "--root" where the command cannot be followed), or that with the list written anew.
std::optional<std::string> Update_Path(std::string_view text, const List_Text& list, size_t i, std::string_view path)
{
    const Hack_Text& h = list.hacks[i];
    const Shell_Word word = *Our_Word(h.hack.Command);
    const auto old_argv = Daemon_Argv(h.hack.Command);
    const std::vector<Read_Char>& chars = list.entry.chars;

    auto replaced = [&](std::vector<std::string> argv) {
        std::replace(argv.begin(), argv.end(), word.value, std::string(path));
        return argv;
    };
    auto shell_words = [](std::string_view command) {
        std::vector<std::string> values;
        for (const Shell_Word& w : Lenient_Words(Shell_Command(command))) values.push_back(w.value);
        return values;
    };
    // Whether our hack's new command runs argv or, where the model cannot follow the shell, is
    // the same shell words with ours replaced.
    auto runs = [&](const Daemon_Hack& is, const std::optional<std::vector<std::string>>& argv) {
        const Daemon_Hack& was = h.hack;
        if (is.Enabled != was.Enabled || is.Visual != was.Visual || is.Name != was.Name) return false;
        if (argv) return Daemon_Argv(is.Command) == argv;
        return !Daemon_Argv(is.Command) && Runs_Through_Shell(is.Command) && Runs_Through_Shell(was.Command) &&
               shell_words(is.Command) == replaced(shell_words(was.Command));
    };
    // The text with the bytes [from, to) replaced, if it reads as before but for our hack.
    auto spliced = [&](size_t from, size_t to, const std::string& file_text,
                       const std::optional<std::vector<std::string>>& argv,
                       size_t key_line) -> std::optional<std::string> {
        std::string candidate = std::string(text.substr(0, from)) + file_text + std::string(text.substr(to));
        const std::optional<List_Text> now = Find_List(candidate);
        if (!now || now->key_line != key_line || now->hacks.size() != list.hacks.size())
            return std::nullopt;
        for (size_t k = 0; k < now->hacks.size(); ++k)
            if (k == i ? !runs(now->hacks[k].hack, argv) : !Same_Reading(now->hacks[k].hack, list.hacks[k].hack))
                return std::nullopt;
        return candidate;
    };

    // The word is one of the argv the daemon runs, or the model cannot follow the shell; else
    // the daemon splits the command otherwise than its words (a "=" in the first of them).
    std::vector<std::string>::const_iterator at;
    if (old_argv) at = std::find(old_argv->begin(), old_argv->end(), word.value);
    const bool in_argv = old_argv && at != old_argv->end();
    const bool whole_path = word.value.front() == '/' || word.value.find('/') == std::string::npos;
    if (whole_path && (in_argv || !old_argv)) {
        const size_t from = chars[h.command_at[word.begin]].from, to = chars[h.command_at[word.end - 1]].to;
        for (bool guarded : {false, true})
            if (auto candidate = spliced(from, to, File_Text(Command_Word(path, guarded)),
                                         old_argv ? std::optional(replaced(*old_argv)) : std::nullopt, list.key_line))
                return candidate;
    }
    std::vector<std::vector<std::string>> argvs;
    if (in_argv && whole_path) argvs.push_back(replaced(*old_argv));
    std::vector<std::string> fresh{std::string(path), std::string(kEntryOption)};
    if (in_argv) fresh.assign(at, old_argv->end()), fresh.front() = path;
    argvs.push_back(std::move(fresh));
    const size_t from = chars[h.command_at.front()].from, to = chars[h.command_at.back()].to;
    for (const auto& argv : argvs)
        for (bool guarded : {false, true})
            if (auto candidate = spliced(from, to, File_Text(Command_Of(argv, guarded)), argv, list.key_line))
                return candidate;

    // The list written anew, with our hack's new command.
    std::vector<Daemon_Hack> hacks;
    for (const Hack_Text& each : list.hacks) hacks.push_back(each.hack);
    for (bool guarded : {false, true}) {
        hacks[i].Command = Command_Of(argvs.back(), guarded);
        if (auto candidate =
                spliced(0, text.size(), Written_Anew(text, list, hacks), argvs.back(), list.entry.first_line))
            return candidate;
    }
    return std::nullopt;
}

// The text with all hacks of ours dropped from its list (all), or with the first one that can go
// on its own; nothing where that does not read right, or there is none to drop.
std::optional<std::string> Without_Ours(std::string_view text, bool all)
{
    const std::optional<List_Text> list = Find_List(text);
    if (!list) return std::nullopt;
    const size_t count = list->hacks.size();
    auto without = [&](const std::vector<bool>& gone) -> std::optional<std::string> {
        std::vector<Hack_Text> rest;
        for (size_t i = 0; i < count; ++i)
            if (!gone[i]) rest.push_back(list->hacks[i]);
        std::optional<std::string> dropped = Drop_Hacks(text, *list, gone);
        if (dropped && Reads_As(*dropped, list->key_line, rest)) return dropped;
        return std::nullopt;
    };
    std::vector<bool> ours(count);
    for (size_t i = 0; i < count; ++i) ours[i] = Is_Quelm_Command(list->hacks[i].hack.Command);
    if (all) return without(ours);
    for (size_t i = 0; i < count; ++i) {
        if (!ours[i]) continue;
        std::vector<bool> one(count);
        one[i] = true;
        if (std::optional<std::string> dropped = without(one)) return dropped;
    }
    return std::nullopt;
}

size_t Trailing_Backslashes(std::string_view line)
{
    size_t backslashes = 0;
    while (backslashes < line.size() && line[line.size() - 1 - backslashes] == '\\') ++backslashes;
    return backslashes;
}

}  // namespace

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

std::optional<std::vector<std::string>> Daemon_Argv(std::string_view command)
{
    std::vector<std::string> argv;
    if (!Runs_Through_Shell(command)) {
        for (const Shell_Word& word : Lenient_Words(command)) argv.push_back(word.value);
        return argv;
    }
    const auto words = Shell_Words(Shell_Command(command), true);
    if (!words) return std::nullopt;
    size_t w = 0;
    while (w < words->size() && (*words)[w].assignment) ++w;
    if (w == words->size()) return argv;
    const Shell_Word& name = (*words)[w];
    constexpr std::string_view kReserved[] = {"!",  "{",    "}",    "case", "do",   "done",  "elif", "else",
                                              "esac", "fi", "for", "if",   "in",   "then", "until", "while"};
    if (!name.quoted && std::find(std::begin(kReserved), std::end(kReserved), name.value) != std::end(kReserved))
        return std::nullopt;
    if (name.value == "exec") {
        // The shell's exec runs its arguments; one that starts with '-' it would read as an option.
        if (++w < words->size() && (*words)[w].value.substr(0, 1) == "-") return std::nullopt;
    } else if (name.value.find('/') == std::string::npos) {
        return std::nullopt;   // a builtin, or the shell's own search of PATH
    }
    for (; w < words->size(); ++w) argv.push_back((*words)[w].value);
    return argv;
}

std::optional<std::string> Daemon_Shell_Command(std::string_view command)
{
    if (!Runs_Through_Shell(command)) return std::nullopt;
    return Shell_Command(command);
}

bool Is_Quelm_Command(std::string_view command) { return Our_Word(command).has_value(); }

std::string Quelm_List_Entry(std::string_view hack_path)
{
    const std::optional<std::string> command = Our_Command(hack_path);
    return command ? Entry_Line(*command) : std::string();
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

List_Registration Register_In_List(std::string_view text, bool file_exists, std::string_view app_defaults,
                                   std::string_view hack_path)
{
    if (!Our_Command(hack_path)) return {List_Outcome::Unusable_Path, {}};
    if (std::optional<List_Text> list = Find_List(text)) {
        std::vector<size_t> ours;
        for (size_t i = 0; i < list->hacks.size(); ++i)
            if (Is_Quelm_Command(list->hacks[i].hack.Command)) ours.push_back(i);
        // Where no way of writing reads right (none is known), nothing is written.
        if (ours.empty()) {
            std::optional<std::string> added = Add_Entry(text, *list, hack_path);
            if (!added) return {List_Outcome::Unusable_Path, {}};
            return {List_Outcome::Added, std::move(*added)};
        }
        // Each line of ours keeps its options, name, visual and mark; the last first, so that the
        // places of the earlier ones stay where they were read.
        std::string updated(text);
        for (auto i = ours.rbegin(); i != ours.rend(); ++i) {
            if (Runs_Path(list->hacks[*i].hack.Command, hack_path)) continue;
            std::optional<std::string> changed = Update_Path(updated, *list, *i, hack_path);
            if (!changed) return {List_Outcome::Unusable_Path, {}};
            updated = std::move(*changed);
            list = Find_List(updated);
        }
        return {updated == text ? List_Outcome::Already_There : List_Outcome::Path_Updated, updated};
    }

    const std::string defaults = Default_Programs(app_defaults);
    const std::optional<List_Text> default_list = Find_List(defaults);
    if (!default_list) return {List_Outcome::No_List, {}};
    std::string head;
    if (!file_exists) {
        head = kNewFileHeader;
    } else if (!text.empty()) {
        head = std::string(text) + (text.back() == '\n' ? "\n" : "\n\n");
    }
    // Each blank line after a line that ends in backslashes takes one of them on: as many more as
    // it takes for the list to be read as a list of its own.
    const std::string_view last_line = text.substr(0, text.size() - (!text.empty() && text.back() == '\n' ? 1 : 0));
    for (size_t tries = 0; tries <= Trailing_Backslashes(last_line) + 1; ++tries, head += '\n') {
        const std::string joined = head + defaults;
        const size_t key_line = Split(head).text.size();
        if (!Reads_As(joined, key_line, default_list->hacks)) continue;
        List_Registration made = Register_In_List(joined, true, {}, hack_path);
        if (made.Outcome != List_Outcome::Unusable_Path) made.Outcome = List_Outcome::Added;
        return made;
    }
    return {List_Outcome::No_List, {}};
}

std::string Remove_Quelm_Entries(std::string_view text)
{
    std::string current(text);
    if (std::optional<std::string> all = Without_Ours(current, true)) return *all;
    while (std::optional<std::string> fewer = Without_Ours(current, false)) current = std::move(*fewer);
    return current;
}
