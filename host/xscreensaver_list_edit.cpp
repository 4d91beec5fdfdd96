// Our entry put into XScreenSaver's list and taken out, line by line: the key line and every line
// that is not ours stay, and each edit is read back through the daemon's reader before it is taken.
#include "xscreensaver_list_impl.h"

#include <algorithm>

using namespace daemon_list;

namespace {

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

}  // namespace

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
