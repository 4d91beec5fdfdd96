// The daemon's rule for running a hack's command (exec.c: exec_command: split at blanks and run,
// or handed to /bin/sh), the words the shell makes of it, and our entry's command written so that
// the daemon runs the hack's path whole.
#include "xscreensaver_list_impl.h"

#include <algorithm>

namespace daemon_list {

namespace {

bool Is_Name_Character(char c, bool first)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (!first && c >= '0' && c <= '9');
}

}  // namespace

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

namespace {

std::string_view Last_Part(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool Is_Our_Word(std::string_view word)
{
    return std::find(std::begin(kOurNames), std::end(kOurNames), Last_Part(word)) != std::end(kOurNames);
}

bool Is_Plain(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("/._+-,:@%").find(c) != std::string_view::npos;
}

bool Can_Carry(std::string_view path)
{
    return path.find_first_of(std::string_view("\n\0", 2)) == std::string_view::npos;
}

}  // namespace

// The first word of a command that runs Quelm 3D.
std::optional<Shell_Word> Our_Word(std::string_view command)
{
    for (Shell_Word& word : Lenient_Words(command))
        if (Is_Our_Word(word.value)) return std::move(word);
    return std::nullopt;
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

}  // namespace daemon_list

using namespace daemon_list;

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
