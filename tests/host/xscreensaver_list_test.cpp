// XScreenSaver's list read as the daemon reads it, and Quelm 3D's line put into it and taken out.
#include "xscreensaver_list.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

void PrintTo(const Daemon_Hack& h, std::ostream* out)
{
    *out << (h.Enabled ? "" : "- ") << h.Visual.value_or("") << ": \"" << h.Name.value_or("") << "\" [" << h.Command
         << "] lines " << h.First_Line << "-" << h.Last_Line;
}

namespace {

const std::string kHack = "/home/u/.local/bin/quelm3d";
const std::string kEntry = Quelm_List_Entry(kHack);
const std::string kMaze = "\t\tmaze --root\t\\n\\", kLast = "  GL: \tsproingies --root\t\\n";
const std::string kList = "programs:\t\\\n" + kMaze + "\n" + kLast + "\n";
const std::string kOurs = "programs:\t\\\n" + kMaze + "\n" + kEntry + "\n" + kLast + "\n";
const std::string kMazeEnds = kMaze.substr(0, kMaze.size() - 1);   // the line that now ends the value
const std::string kAppDefaults = "*fade:\tTrue\n*" + kList + "*lock:\tFalse\n";

Daemon_Hack Hack(std::string command, size_t first, size_t last, std::optional<std::string> visual = {},
                 std::optional<std::string> name = {}, bool enabled = true)
{
    return {enabled, std::move(visual), std::move(name), std::move(command), first, last};
}

TEST(ListText, ReadsTheListAsTheDaemonDoes)
{
    struct Row {
        std::string text;
        std::optional<size_t> key, last;   // no key: no list
        std::vector<Daemon_Hack> hacks;
    };
    const Row rows[] = {
        {"mode:\trandom\n" + kList + "fade:\tFalse\n", 1, 3,
         {Hack("maze --root", 2, 2), Hack("sproingies --root", 3, 3, "GL")}},
        // Any line that ends in a backslash goes on: two are one for the line's end and one that
        // escapes the next line's first character.
        {"programs: \\\n maze \\\\\n /x/quelm3d --root\nfade: True\n", 0, 2, {Hack("maze /x/quelm3d --root", 1, 2)}},
        {"programs: \\\n  maze \\n\\\\\n  /x/quelm3d --root \\n\nfade: True\n", 0, 2,
         {Hack("maze", 1, 1), Hack("/x/quelm3d --root", 2, 2)}},
        // Only a line longer than two characters goes on.
        {"\\\nprograms: maze\n", 1, 1, {Hack("maze", 1, 1)}},
        {"x\\\nprograms: maze\n", {}, {}, {}},
        // A comment that ends in a backslash takes the next line with it.
        {"# mine \\\nprograms: maze\n", {}, {}, {}},
        // The last list counts, its key in any case; a mark, a visual and a name.
        {"programs: maze\nPROGRAMS: \\\n  - GL:  \"Boxed\"  boxed   --root  \\n\\\n\tmono: x\n", 1, 3,
         {Hack("boxed --root", 2, 2, "GL", "Boxed", false), Hack("x", 3, 3, "mono")}},
        // Escapes; blanks squeezed up to the first quote or backslash, kept as they are after it.
        {"programs: a\\tb\\n  c  'd  e'\\nf  \\\\g  h\n", 0, 0,
         {Hack("a b", 0, 0), Hack("c 'd  e'", 0, 0), Hack("f \\g  h", 0, 0)}},
        // At the end of a file without a line feed, a backslash takes the last character with it.
        {"programs: maze --root \\x", 0, 0, {Hack("maze --root", 0, 0)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<Daemon_List> list = Daemon_Hacks(row.text);
        ASSERT_EQ(list.has_value(), row.key.has_value());
        if (!list) continue;
        EXPECT_EQ(list->Key_Line, *row.key);
        EXPECT_EQ(list->Last_Line, *row.last);
        EXPECT_EQ(list->Hacks, row.hacks);
    }
    using Argv = std::optional<std::vector<std::string>>;
    for (const auto& [command, argv] : std::vector<std::pair<std::string, Argv>>{
             {"maze --root", Argv({"maze", "--root"})},
             {"'/a b/q' \"-x\"\\ y", Argv({"/a b/q", "-x y"})},
             {"FOO=1 /x/q --root", Argv({"/x/q", "--root"})},
             // The daemon puts its "exec" after the first word with a "=" in it.
             {"'/a=b/q' --root", Argv({"/a=b/q", "exec", "--root"})},
             {"${$%%[! ]*}'/a=b c/q' --root", Argv({"/a=b c/q", "--root"})},
             {"/x/q --root 2>/dev/null", std::nullopt},
             {"$HOME/q", std::nullopt}})
        EXPECT_EQ(Daemon_Argv(command), argv) << command;
}

TEST(ListText, TakesOutOnlyOurLines)
{
    const std::string kOurLast = "  GL: /x/quelm3d --root \\n";
    const std::pair<std::string, std::string> rows[] = {
        {"mode:\trandom\n" + kOurs + "fade:\tFalse\n", "mode:\trandom\n" + kList + "fade:\tFalse\n"},
        // Our line was the list's last: the line before it now ends the value, so the line after
        // the list stays out of it, however often ours is taken out.
        {"programs: \\\n" + kMaze + "\n" + kOurLast + "\nfade:\tFalse\n",
         "programs: \\\n" + kMazeEnds + "\nfade:\tFalse\n"},
        {"programs: \\\n" + kOurLast + "\nfade:\tFalse\n", "programs: \nfade:\tFalse\n"},
        // ... but at the end of the file it keeps its backslash, as it was before ours was put in.
        {"programs: \\\n" + kMaze + "\n" + kOurLast, "programs: \\\n" + kMaze},
        // Our line below a line that ends in two backslashes is in the list.
        {"programs:\t\\\n  maze --root \\n\\\\\n" + kOurLast + "\nfade:\tFalse\n",
         "programs:\t\\\n  maze --root \\n\nfade:\tFalse\n"},
        // A blank line that a backslash took in stays a line when ours after it, at the end, goes.
        {"programs: \\\n  maze \\n\\\\\n\n  /x/quelm3d --root \\n", "programs: \\\n  maze \\n\\\\\n\n"},
        // A blank line that a backslash took into our hack goes with it.
        {"programs:\t\\\n" + kMaze + "\n  /x/quelm3d \\\\\n\n  --root \\n\\\n" + kLast + "\n", kList},
        // The daemon reads the last list.
        {kOurs + "programs: \\\n quelm3d --root \\n\\\n maze\n", kOurs + "programs: \\\n maze\n"},
        // Ours as sh reads it: quoted, escaped, switched off; and as today's escaped blank left it.
        {"programs:\t\\\n" + kMaze + "\n  GL: \"Quelm 3D\" '/a b/quelm3d' --root \\n\\\n-\t/opt/quelm\\\\3d \\n\\\n" +
             "  \"/c\"'/quelmscr' \\n\\\n  /a\\ b/quelm3d --root \\n\\\n" + kLast + "\n",
         kList},
        // A hack of ours that shares a line with the key or another hack stays.
        {"programs: quelm3d --root \\n maze\n", "programs: quelm3d --root \\n maze\n"},
        {"fade:\tFalse\n", "fade:\tFalse\n"},
    };
    for (const auto& [text, removed] : rows) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Remove_Quelm_Entries(text), removed);
        EXPECT_EQ(Remove_Quelm_Entries(removed), removed);
    }
    for (const auto& [command, ours] : std::vector<std::pair<std::string, bool>>{
             {"quelm3d", true}, {"nice '/a b/quelmscr' --root", true}, {"quelm3dx --root", false},
             {"/opt/quelmscr/maze --root", false}, {"'/a b/quelm3d' --x", true}})
        EXPECT_EQ(Is_Quelm_Command(command), ours) << command;
}

TEST(ListText, RegisteringAddsOnceAndKeepsTheUsersLine)
{
    const std::string mine = "- GL: \"Quelm 3D\"  /opt/q/quelm3d --root --speed 5 --no-music \\n\\";
    const std::string mine_moved = "- GL: \"Quelm 3D\"  " + kHack + " --root --speed 5 --no-music \\n\\";
    const std::string even = "programs:\t\\\n  maze --root \\n\\\\\n" + kEntry + "\n" + kLast + "\n";
    struct Row {
        std::string text;
        bool exists;
        std::string app_defaults, hack;
        List_Outcome outcome;
        std::string made;
    };
    const Row rows[] = {
        {"mode:\trandom\n" + kList + "fade:\tFalse\n", true, "", kHack, List_Outcome::Added,
         "mode:\trandom\n" + kOurs + "fade:\tFalse\n"},
        {kOurs, true, "", kHack, List_Outcome::Already_There, kOurs},
        {even, true, "", kHack, List_Outcome::Already_There, even},
        // The user's options, mark, name and visual stay; only a changed path changes.
        {"programs:\t\\\n" + kMaze + "\n" + mine + "\n" + kLast + "\n", true, "", "/opt/q/quelm3d",
         List_Outcome::Already_There, "programs:\t\\\n" + kMaze + "\n" + mine + "\n" + kLast + "\n"},
        {"programs:\t\\\n" + kMaze + "\n" + mine + "\n" + kLast + "\n", true, "", kHack, List_Outcome::Path_Updated,
         "programs:\t\\\n" + kMaze + "\n" + mine_moved + "\n" + kLast + "\n"},
        // A line of ours the daemon splits at a "=" before a blank runs the path once it is guarded.
        {"programs:\t\\\n  GL: \"Quelm 3D\"  '/o=p q/quelm3d' --root \\n\\\n" + kLast + "\n", true, "",
         "/o=p q/quelm3d", List_Outcome::Path_Updated,
         "programs:\t\\\n  GL: \"Quelm 3D\"  ${$%%[! ]*}'/o=p q/quelm3d' --root \\n\\\n" + kLast + "\n"},
        // A list all on its key line gets the daemon's layout.
        {"programs: maze --root\n", true, "", kHack, List_Outcome::Added,
         "programs:\t\t\t\t\t\t\t\t      \\\n" + kEntry + "\n\t\t\t\tmaze --root\n"},
        {"programs: \\", true, "", kHack, List_Outcome::Added, "programs: \\\n" + kEntry.substr(0, kEntry.size() - 1)},
        // A file without a list gets the daemon's, after as many blank lines as it takes.
        {"fade:\tFalse", true, kAppDefaults, kHack, List_Outcome::Added, "fade:\tFalse\n\n" + kOurs},
        {"fade:\tFalse \\\\\n", true, kAppDefaults, kHack, List_Outcome::Added, "fade:\tFalse \\\\\n\n\n" + kOurs},
        {"fade:\tFalse\n", true, "*fade: True\n", kHack, List_Outcome::No_List, ""},
        {kList, true, "", "/a\nb/quelm3d", List_Outcome::Unusable_Path, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text + " <- " + row.hack);
        const List_Registration made = Register_In_List(row.text, row.exists, row.app_defaults, row.hack);
        EXPECT_EQ(made.Outcome, row.outcome);
        EXPECT_EQ(made.Text, row.made);
    }
    const std::string fresh = Register_In_List("", false, kAppDefaults, kHack).Text;
    EXPECT_EQ(fresh.substr(0, 2) + fresh.substr(fresh.size() - kOurs.size()), "# " + kOurs);
    EXPECT_EQ(Default_Programs(kAppDefaults), kList);
}

// What a hack run by the model's argv, or by the shell the daemon hands the command to, was
// given: its $0 and arguments, one a line.
std::string Run_Hack(const std::vector<std::string>& argv, const fs::path& record)
{
    fs::remove(record);
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        setenv("QUELM_RECORD", record.c_str(), 1);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ostringstream text;
    text << std::ifstream(record).rdbuf();
    return text.str();
}

TEST(ListText, ThePathReachesExecvpWhole)
{
    const TempFolder folder("exec");
    const fs::path& root = folder.path();
    const std::string folders[] = {"a b", "a  b", "a\tb", "a'b",  "a\"b", "a$b",  "a\\b",       "a*b", "a;b",
                                   "a=b", "a#b",  "a!b",  "a`b", "a=b c", "a:b", "a\xc3\xa9" "b", "ab "};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        const fs::path dir = root / folder, record = root / "record";
        fs::create_directories(dir);
        const std::string hack = (dir / "quelm3d").string();
        std::ofstream(hack) << "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$QUELM_RECORD\"\n";
        fs::permissions(hack, fs::perms::owner_all);

        const List_Registration made = Register_In_List(kList, true, "", hack);
        ASSERT_EQ(made.Outcome, List_Outcome::Added);
        const std::optional<Daemon_List> list = Daemon_Hacks(made.Text);
        ASSERT_TRUE(list && list->Hacks.size() == 3);
        const std::string& command = list->Hacks[1].Command;
        EXPECT_TRUE(Is_Quelm_Command(command)) << command;
        const auto argv = Daemon_Argv(command);
        ASSERT_TRUE(argv) << command;
        EXPECT_EQ(Run_Hack(*argv, record), hack + "\n--root\n");
        if (const auto shell = Daemon_Shell_Command(command)) {
            EXPECT_EQ(Run_Hack({"/bin/sh", "-c", *shell}, record), hack + "\n--root\n") << *shell;
        }
        EXPECT_EQ(Remove_Quelm_Entries(made.Text), kList);
    }
}

}  // namespace
