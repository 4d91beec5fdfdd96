// Fuzzes the reading and editing of XScreenSaver's list. The input is a user's ~/.xscreensaver,
// then, after a zero byte, the daemon's app-defaults text, then, after another, the name of the
// folder the hack is registered from. Taking our lines out removes nothing but lines of ours (the
// list's new last line may lose its final backslashes), and the daemon reads the same hacks less
// ours; registering puts in one hack that runs the path whole, or keeps ours and changes only the
// path; a second register changes nothing; register then unregister gives the text back.
#include "xscreensaver_list.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

static void Check(bool condition, int line = __builtin_LINE())
{
    if (condition) return;
    std::fprintf(stderr, "xscreensaver_list_fuzz.cpp:%d: check failed\n", line);
    std::abort();
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

static bool Same_Reading(const Daemon_Hack& a, const Daemon_Hack& b)
{
    return a.Enabled == b.Enabled && a.Visual == b.Visual && a.Name == b.Name && a.Command == b.Command;
}

static std::string Without_Final_Backslashes(std::string line)
{
    while (!line.empty() && line.back() == '\\') line.pop_back();
    return line;
}

// Whether after is before with only lines of ours taken out of the list (lines of hacks of ours,
// or lines of no hack at all, such as a blank line a backslash took in) and at most the list's new
// last line changed, by losing its final backslashes.
static bool Only_Ours_Gone(const std::string& before, const std::string& after, const Daemon_List& list)
{
    const std::vector<std::string> a = Lines_Of(before), b = Lines_Of(after);
    std::vector<bool> ours(a.size(), true);
    for (const Daemon_Hack& h : list.Hacks)
        if (!Is_Quelm_Command(h.Command))
            for (size_t line = h.First_Line; line <= h.Last_Line; ++line) ours[line] = false;
    const size_t tail = a.size() - list.Last_Line - 1;
    if (b.size() < list.Key_Line + 1 + tail) return false;
    if (!std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(list.Key_Line), b.begin())) return false;
    if (!std::equal(a.end() - static_cast<std::ptrdiff_t>(tail), a.end(), b.end() - static_cast<std::ptrdiff_t>(tail)))
        return false;
    // The list's lines: a subsequence, the key line kept, the last kept line maybe without its
    // final backslashes.
    const size_t first = list.Key_Line, a_end = list.Last_Line + 1, b_end = b.size() - tail;
    const size_t width = b_end - first + 1;
    std::vector<char> reached((a_end - first + 1) * width, 0);
    reached[0] = 1;
    for (size_t i = first; i <= a_end; ++i)
        for (size_t j = first; j <= b_end; ++j) {
            if (!reached[(i - first) * width + (j - first)] || i == a_end) continue;
            if (i > first && ours[i]) reached[(i + 1 - first) * width + (j - first)] = 1;
            if (j < b_end && (a[i] == b[j] || (j + 1 == b_end && b[j] == Without_Final_Backslashes(a[i]))))
                reached[(i + 1 - first) * width + (j + 1 - first)] = 1;
        }
    return reached.back() != 0;
}

// Whether a hack of ours may stay in the list: it shares a line with the key or another hack, or
// taking its lines out (and a backslash that would then end the list before a line) changes how
// the daemon reads the others.
static bool May_Stay(const std::string& text, const Daemon_List& list, size_t k)
{
    const Daemon_Hack& h = list.Hacks[k];
    if (h.First_Line == list.Key_Line) return true;
    for (size_t i = 0; i < list.Hacks.size(); ++i)
        if (i != k && list.Hacks[i].First_Line <= h.Last_Line && h.First_Line <= list.Hacks[i].Last_Line) return true;
    std::vector<std::string> lines = Lines_Of(text);
    const bool line_follows = list.Last_Line + 1 < lines.size();
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(h.First_Line),
                lines.begin() + static_cast<std::ptrdiff_t>(h.Last_Line + 1));
    if (h.Last_Line == list.Last_Line && line_follows)
        lines[h.First_Line - 1] = Without_Final_Backslashes(lines[h.First_Line - 1]);
    // Lines joined as they were: a text without a final line feed stays without one (the daemon
    // reads a last line that ends in a backslash differently with and without it).
    std::string without;
    for (size_t i = 0; i < lines.size(); ++i) without += lines[i] + (i + 1 < lines.size() ? "\n" : "");
    if (!lines.empty() && !text.empty() && text.back() == '\n') without += '\n';
    const std::optional<Daemon_List> read = Daemon_Hacks(without);
    if (!read || read->Hacks.size() + 1 != list.Hacks.size()) return true;
    for (size_t i = 0; i < read->Hacks.size(); ++i)
        if (!Same_Reading(read->Hacks[i], list.Hacks[i < k ? i : i + 1])) return true;
    return false;
}

static bool Is_Entry(const Daemon_Hack& h, const std::string& path)
{
    return h.Enabled && h.Visual == "GL" && h.Name == "Quelm 3D" &&
           Daemon_Argv(h.Command) == std::vector<std::string>{path, "--root"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0'), split2 = split == std::string::npos ? split : input.find('\0', split + 1);
    const std::string text = input.substr(0, split);
    const std::string app_defaults =
        split == std::string::npos ? std::string() : input.substr(split + 1, split2 - split - 1);
    const std::string path = split2 == std::string::npos ? "/usr/libexec/xscreensaver/quelm3d"
                                                         : "/" + input.substr(split2 + 1) + "/quelm3d";

    // Taking ours out.
    const std::optional<Daemon_List> before = Daemon_Hacks(text);
    Check(Has_Programs(text) == before.has_value());
    const std::string removed = Remove_Quelm_Entries(text);
    Check(Remove_Quelm_Entries(removed) == removed);
    bool had_ours = false;
    if (before) {
        Check(Only_Ours_Gone(text, removed, *before));
        const std::optional<Daemon_List> after = Daemon_Hacks(removed);
        Check(after && after->Key_Line == before->Key_Line);
        size_t j = 0;
        for (size_t i = 0; i < before->Hacks.size(); ++i) {
            const bool ours = Is_Quelm_Command(before->Hacks[i].Command);
            had_ours = had_ours || ours;
            if (j < after->Hacks.size() && Same_Reading(before->Hacks[i], after->Hacks[j]))
                ++j;
            else
                Check(ours);
        }
        Check(j == after->Hacks.size());
        for (size_t k = 0; k < after->Hacks.size(); ++k)
            if (Is_Quelm_Command(after->Hacks[k].Command)) Check(May_Stay(removed, *after, k));
    }
    if (!had_ours) Check(removed == text);

    // Putting ours in.
    const List_Registration made = Register_In_List(text, true, app_defaults, path);
    if (path.find_first_of(std::string("\n\0", 2)) != std::string::npos) {
        Check(made.Outcome == List_Outcome::Unusable_Path && made.Text.empty());
        return 0;
    }
    Check(!Quelm_List_Entry(path).empty());
    const std::optional<Daemon_List> defaults = Daemon_Hacks(Default_Programs(app_defaults));
    if (made.Outcome == List_Outcome::No_List) {
        Check(!before && !defaults && made.Text.empty());
        return 0;
    }
    const std::optional<Daemon_List> now = Daemon_Hacks(made.Text);
    Check(now.has_value());
    const std::vector<Daemon_Hack>& was = before ? before->Hacks : defaults->Hacks;
    const bool was_ours =
        std::any_of(was.begin(), was.end(), [](const Daemon_Hack& h) { return Is_Quelm_Command(h.Command); });
    if (made.Outcome == List_Outcome::Already_There) Check(before && had_ours && made.Text == text);
    if (made.Outcome == List_Outcome::Path_Updated) Check(before && had_ours);
    if (made.Outcome == List_Outcome::Added && !was_ours) {
        Check(now->Hacks.size() == was.size() + 1);
        size_t at = 0;
        while (at < was.size() && Same_Reading(was[at], now->Hacks[at])) ++at;
        Check(Is_Entry(now->Hacks[at], path));
        for (size_t i = at; i < was.size(); ++i) Check(Same_Reading(was[i], now->Hacks[i + 1]));
        // Where our entry went in as a line of its own (not with the key line split or the list
        // written anew), taking it out gives the text back.
        std::vector<std::string> lines = Lines_Of(made.Text);
        if (before && now->Hacks[at].First_Line == now->Hacks[at].Last_Line) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(now->Hacks[at].First_Line));
            if (lines == Lines_Of(text)) Check(Remove_Quelm_Entries(made.Text) == text);
        }
    } else {
        // Ours kept, with the path changed where it was another.
        Check(was_ours && now->Hacks.size() == was.size());
        for (size_t i = 0; i < was.size(); ++i) {
            const Daemon_Hack& is = now->Hacks[i];
            if (!Is_Quelm_Command(was[i].Command)) {
                Check(Same_Reading(was[i], is));
                continue;
            }
            Check(is.Enabled == was[i].Enabled && is.Visual == was[i].Visual && is.Name == was[i].Name);
            if (const auto argv = Daemon_Argv(is.Command))
                Check(std::find(argv->begin(), argv->end(), path) != argv->end());
        }
    }
    const List_Registration again = Register_In_List(made.Text, true, app_defaults, path);
    Check(again.Outcome == List_Outcome::Already_There && again.Text == made.Text);
    return 0;
}
