// Quelm 3D's line in XScreenSaver's list: put into the text and taken out of it.
#include "xscreensaver_list.h"

#include <gtest/gtest.h>

namespace {

const std::string kEntry = Quelm_List_Entry("/home/u/.local/bin/quelm3d");
const std::string kMaze = "\t\tmaze --root\t\\n\\", kLast = "  GL: \tsproingies --root\t\\n";
const std::string kList = "programs:\t\\\n" + kMaze + "\n" + kLast + "\n";
const std::string kOurs = "programs:\t\\\n" + kMaze + "\n" + kEntry + "\n" + kLast + "\n";
const std::string kMazeEnds = kMaze.substr(0, kMaze.size() - 1);   // the line that now ends the value

TEST(ListText, AddsAndRemovesOnlyOurLine)
{
    struct Row {
        std::string text, added, removed;
    };
    const Row rows[] = {
        {"mode:\trandom\n" + kList + "fade:\tFalse\n", "mode:\trandom\n" + kOurs + "fade:\tFalse\n",
         "mode:\trandom\n" + kList + "fade:\tFalse\n"},
        // our earlier line gives way; a switched-off one and one with an escaped blank are ours too
        {"programs:\t\\\n  GL: \"Quelm 3D\"  /opt/q/quelmscr --root \\n\\\n-  quelm3d --root \\n\\\n" + kMaze +
             "\n /a\\ b/quelm3d --root \\n\\\n" + kLast + "\n", kOurs, kList},
        {"programs: \\\n" + kMaze + "\n  GL: /x/quelm3d --root \\n\n", "programs: \\\n" + kEntry + "\n" + kMazeEnds + "\n",
         "programs: \\\n" + kMazeEnds + "\n"},
        {"programs: maze --root\n", "programs:\t\t\t\t\t\t\t\t      \\\n" + kEntry + "\n\t\t\t\tmaze --root\n",
         "programs: maze --root\n"},
        {"fade:\tFalse\n", "fade:\tFalse\n", "fade:\tFalse\n"},
        {kList + "programs: \\\n quelm3d --root \\n\n", kOurs + "programs: \\\n quelm3d --root \\n\n",
         kList + "programs: \\\n quelm3d --root \\n\n"},   // only the first list counts
        {"programs: \\\n" + kMaze + "\n last", "programs: \\\n" + kMaze + "\n" + kEntry + "\n last",
         "programs: \\\n" + kMaze + "\n last"},   // no line feed at the end
        {"programs: \\", "programs: \\\n" + kEntry.substr(0, kEntry.size() - 1), "programs: \\"},
        // an escaped backslash at a line's end ends the value: the line after it is not the list's
        {"programs: \\\n maze \\\\\n quelm3d --root\n", "programs: \\\n" + kEntry + "\n maze \\\\\n quelm3d --root\n",
         "programs: \\\n maze \\\\\n quelm3d --root\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Add_Quelm_Entry(row.text, kEntry), row.added);
        EXPECT_EQ(Remove_Quelm_Entries(row.text), row.removed);
    }
    for (const auto& [line, ours] : std::vector<std::pair<std::string, bool>>{
             {"quelm3d\\n\\", true}, {"  \"Quelm 3D\" maze --root", false}, {"  quelm3dx --root", false},
             {"  /opt/quelmscr/maze --root", false}})
        EXPECT_EQ(Is_Quelm_Line(line), ours) << line;
    EXPECT_EQ(Quelm_List_Entry("/a b/quelm3d"), "  GL: \t\t\"Quelm 3D\"  /a\\ b/quelm3d --root\t\t    \\n\\");
}

const std::string kAppDefaults = "*fade:\tTrue\n*" + kList + "*lock:\tFalse\n";

TEST(ListText, AFileWithoutAListGetsTheDaemonsList)
{
    EXPECT_EQ(Default_Programs(kAppDefaults), kList);
    const std::string ours = Add_Quelm_Entry(kList, kEntry);
    const std::string fresh = Registered_Text("", false, kAppDefaults, kEntry);
    EXPECT_EQ(fresh.substr(0, 2) + fresh.substr(fresh.size() - ours.size()), "# " + ours);
    EXPECT_EQ(Registered_Text("fade:\tFalse", true, kAppDefaults, kEntry), "fade:\tFalse\n\n" + ours);
    EXPECT_EQ(Registered_Text("fade:\tFalse\n", true, "*fade: True\n", kEntry), "");
}

}  // namespace
