// Quelm 3D's line in XScreenSaver's list: put into the text and taken out of it, and the user's
// file changed on disk with its earlier state given back.
#include "xscreensaver_list.h"
#include "xscreensaver_register.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kEntry = Quelm_List_Entry("/home/u/.local/bin/quelm3d");
const std::string kMaze = "\t\t\t\tmaze --root\t\t\t\t    \\n\\";
const std::string kLast = "  GL: \t\t\t\tsproingies --root\t\t\t    \\n";

struct Edit_Case {
    const char* name;
    std::string text;
    std::string added;     // Add_Quelm_Entry(text, kEntry)
    std::string removed;   // Remove_Quelm_Entries(text)
};

std::vector<Edit_Case> Edit_Cases()
{
    const std::string list = "programs:\t\t\\\n" + kMaze + "\n" + kLast + "\n";
    const std::string with_ours = "programs:\t\t\\\n" + kMaze + "\n" + kEntry + "\n" + kLast + "\n";
    return {
        {"between other settings", "mode:\t\trandom\n" + list + "\nfade:\tFalse\n",
         "mode:\t\trandom\n" + with_ours + "\nfade:\tFalse\n", "mode:\t\trandom\n" + list + "\nfade:\tFalse\n"},
        {"our earlier line gives way",
         "programs:\t\t\\\n  GL: \"Quelm 3D\"  /opt/q/quelmscr --root \\n\\\n" + kMaze + "\n" + kLast + "\n", with_ours,
         list},
        {"ours was the last line", "programs: \\\n" + kMaze + "\n  GL: /x/quelm3d --root \\n\n",
         "programs: \\\n" + kEntry + "\n" + kMaze.substr(0, kMaze.size() - 1) + "\n",
         "programs: \\\n" + kMaze.substr(0, kMaze.size() - 1) + "\n"},
        {"all on the key line", "programs: maze --root\n",
         "programs:\t\t\t\t\t\t\t\t      \\\n" + kEntry + "\n\t\t\t\tmaze --root\n", "programs: maze --root\n"},
        {"no list", "fade:\tFalse\n", "fade:\tFalse\n", "fade:\tFalse\n"},
        {"only the first list counts", list + "programs: \\\n quelm3d --root \\n\n",
         with_ours + "programs: \\\n quelm3d --root \\n\n", list + "programs: \\\n quelm3d --root \\n\n"},
        {"no line feed at the end", "programs: \\\n" + kMaze + "\n last --root",
         "programs: \\\n" + kMaze + "\n" + kEntry + "\n last --root", "programs: \\\n" + kMaze + "\n last --root"},
        {"ends inside the value", "programs: \\", "programs: \\\n" + kEntry.substr(0, kEntry.size() - 1),
         "programs: \\"},
        {"a switched-off line and an escaped blank are ours",
         "programs: \\\n-  GL: quelmscr --root \\n\\\n /home/a\\ b/bin/quelm3d --root \\n\\\n" + kLast + "\n",
         "programs: \\\n" + kEntry + "\n" + kLast + "\n", "programs: \\\n" + kLast + "\n"},
    };
}

class ListEdit : public testing::TestWithParam<Edit_Case> {};

TEST_P(ListEdit, AddsAndRemovesOnlyOurLine)
{
    const Edit_Case& c = GetParam();
    EXPECT_EQ(Add_Quelm_Entry(c.text, kEntry), c.added);
    EXPECT_EQ(Remove_Quelm_Entries(c.text), c.removed);
    EXPECT_EQ(Remove_Quelm_Entries(c.removed), c.removed);
}

INSTANTIATE_TEST_SUITE_P(Texts, ListEdit, testing::ValuesIn(Edit_Cases()), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(ListLine, KnowsOurLinesByTheProgramsName)
{
    const std::pair<std::string, bool> lines[] = {
        {kEntry, true},
        {"  GL: \t\t\"Quelm 3D\"  /usr/libexec/xscreensaver/quelm3d --root\t\t    \\n\\", true},
        {"quelm3d\\n\\", true},
        {"-  GL: quelmscr --root", true},
        {"  \"Quelm 3D\" maze --root \\n\\", false},
        {"  GL: quelm3dx --root \\n\\", false},
        {"  /opt/quelmscr/maze --root \\n\\", false},
        {"", false},
    };
    for (const auto& [line, ours] : lines) EXPECT_EQ(Is_Quelm_Line(line), ours) << line;
}

TEST(ListLine, EntryEscapesBlanksInThePath)
{
    EXPECT_EQ(Quelm_List_Entry("/home/a b/quelm3d"), "  GL: \t\t\"Quelm 3D\"  /home/a\\ b/quelm3d --root\t\t    \\n\\");
}

const std::string kAppDefaults = "*fade:\tTrue\n*programs:\t\\\n" + kMaze + "\n" + kLast + "\n*other:\t1\n";
const std::string kDefaultList = "programs:\t\\\n" + kMaze + "\n" + kLast + "\n";

TEST(DaemonList, ReadsTheAppDefaultsList)
{
    EXPECT_EQ(Default_Programs(kAppDefaults), kDefaultList);
    EXPECT_EQ(Default_Programs("*fade: True\n"), "");
}

TEST(DaemonList, AFileWithoutAListGetsTheDaemonsList)
{
    const std::string ours = Add_Quelm_Entry(kDefaultList, kEntry);
    EXPECT_NE(ours.find(kEntry), std::string::npos);
    const std::string fresh = Registered_Text("", false, kAppDefaults, kEntry);
    EXPECT_EQ(fresh.substr(0, 2), "# ");
    EXPECT_EQ(fresh.substr(fresh.size() - ours.size()), ours);
    EXPECT_EQ(Registered_Text("fade:\tFalse\n", true, kAppDefaults, kEntry), "fade:\tFalse\n\n" + ours);
    EXPECT_EQ(Registered_Text("fade:\tFalse", true, kAppDefaults, kEntry), "fade:\tFalse\n\n" + ours);
    EXPECT_EQ(Registered_Text("", true, kAppDefaults, kEntry), ours);
    EXPECT_EQ(Registered_Text("fade:\tFalse\n", true, "*fade: True\n", kEntry), "");
}

// The user's file on disk, the daemon's list and the program directory in a folder of the test's.
struct List_Folder {
    fs::path root;
    List_Files files;
    List_Folder()
    {
        root = fs::temp_directory_path() / ("quelm-list-" + std::to_string(getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "program");
        files = {(root / ".xscreensaver").string(), (root / "XScreenSaver").string(), (root / "program").string() + "/"};
        Put(files.App_Defaults, kAppDefaults);
    }
    ~List_Folder() { fs::remove_all(root); }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string Text(const std::string& path)
    {
        std::ostringstream out;
        out << std::ifstream(path, std::ios::binary).rdbuf();
        return out.str();
    }
    std::vector<std::string> Records() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(root / "program")) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

const std::string kHack = "/usr/libexec/xscreensaver/quelm3d";

struct Round_Case {
    const char* name;
    bool file;               // the user has a file before
    std::string before;      // and what it holds
    std::string meanwhile;   // appended between --register and --unregister
    std::string after;       // the file after --unregister ("-" none)
};

class ListRoundTrip : public testing::TestWithParam<Round_Case> {};

TEST_P(ListRoundTrip, GivesTheFileBackAsItWasWhenNothingElseChanged)
{
    const Round_Case& c = GetParam();
    List_Folder f;
    if (c.file) f.Put(f.files.User_File, c.before);
    const List_Change added = Register_Hack(f.files, kHack);
    ASSERT_TRUE(added.Done) << added.Message;
    const std::string registered = f.Text(f.files.User_File);
    EXPECT_NE(registered.find(Quelm_List_Entry(kHack)), std::string::npos);
    EXPECT_TRUE(Register_Hack(f.files, kHack).Done);   // a second time changes nothing
    EXPECT_EQ(f.Text(f.files.User_File), registered);
    if (!c.meanwhile.empty()) f.Put(f.files.User_File, registered + c.meanwhile);

    const List_Change taken = Unregister_Hack(f.files);
    ASSERT_TRUE(taken.Done) << taken.Message;
    if (c.after == "-") {
        EXPECT_FALSE(fs::exists(f.files.User_File));
    } else {
        EXPECT_EQ(f.Text(f.files.User_File), c.after);
    }
    EXPECT_TRUE(f.Records().empty());
}

INSTANTIATE_TEST_SUITE_P(Files, ListRoundTrip,
    testing::Values(Round_Case{"none", false, "", "", "-"},
                    Round_Case{"with_list", true, "mode:\trandom\n" + kDefaultList + "fade:\tTrue\n", "",
                               "mode:\trandom\n" + kDefaultList + "fade:\tTrue\n"},
                    Round_Case{"without_list", true, "fade:\tTrue", "", "fade:\tTrue"},
                    Round_Case{"changed_meanwhile", true, kDefaultList, "lock:\tFalse\n", kDefaultList + "lock:\tFalse\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListFile, ASecondRegisterKeepsTheFirstRecord)
{
    List_Folder f;
    f.Put(f.files.User_File, kDefaultList);
    ASSERT_TRUE(Register_Hack(f.files, "/opt/a/quelm3d").Done);
    ASSERT_TRUE(Register_Hack(f.files, kHack).Done);   // another hack path: our line is replaced
    const std::string text = f.Text(f.files.User_File);
    EXPECT_EQ(text.find("/opt/a/quelm3d"), std::string::npos);
    ASSERT_TRUE(Unregister_Hack(f.files).Done);
    EXPECT_EQ(f.Text(f.files.User_File), kDefaultList);
}

TEST(ListFile, WritesThroughALinkedFile)
{
    List_Folder f;
    const std::string target = (f.root / "dotfiles-xscreensaver").string();
    f.Put(target, kDefaultList);
    fs::create_symlink(target, f.files.User_File);
    ASSERT_TRUE(Register_Hack(f.files, kHack).Done);
    EXPECT_TRUE(fs::is_symlink(f.files.User_File));
    EXPECT_NE(f.Text(target).find(kHack), std::string::npos);
    ASSERT_TRUE(Unregister_Hack(f.files).Done);
    EXPECT_TRUE(fs::is_symlink(f.files.User_File));
    EXPECT_EQ(f.Text(target), kDefaultList);
}

TEST(ListFile, FailuresLeaveTheFileAsItWas)
{
    List_Folder f;
    f.Put(f.files.User_File, "fade:\tTrue\n");
    // No list of its own and no daemon's list to start one from.
    fs::remove(f.files.App_Defaults);
    List_Change change = Register_Hack(f.files, kHack);
    EXPECT_FALSE(change.Done);
    EXPECT_NE(change.Message.find("is XScreenSaver installed"), std::string::npos) << change.Message;
    // No program directory to keep the record in.
    f.Put(f.files.App_Defaults, kAppDefaults);
    f.files.Record_Dir = (f.root / "missing").string() + "/";
    change = Register_Hack(f.files, kHack);
    EXPECT_FALSE(change.Done);
    EXPECT_NE(change.Message.find("cannot write"), std::string::npos) << change.Message;
    EXPECT_EQ(f.Text(f.files.User_File), "fade:\tTrue\n");
    EXPECT_TRUE(f.Records().empty());
}

TEST(ListFile, UnregisterWithoutRecordTakesOnlyOurLine)
{
    List_Folder f;
    const std::string text = Add_Quelm_Entry(kDefaultList, kEntry);
    f.Put(f.files.User_File, text);
    ASSERT_TRUE(Unregister_Hack(f.files).Done);
    EXPECT_EQ(f.Text(f.files.User_File), Remove_Quelm_Entries(text));
    const List_Change again = Unregister_Hack(f.files);
    EXPECT_TRUE(again.Done);
    EXPECT_NE(again.Message.find("is not in"), std::string::npos) << again.Message;
}

TEST(ListRequest, ReadsTheTwoSwitches)
{
    struct Row {
        QStringList args;
        int action;   // -1 none, 0 register, 1 unregister
        QString hack;
        bool error;
    };
    const Row rows[] = {
        {{"--register"}, 0, "", false},
        {{"--register", "/home/u/.local/bin/quelm3d"}, 0, "/home/u/.local/bin/quelm3d", false},
        {{"--register", "quelm3d"}, -1, "", true},
        {{"--register", "/a", "/b"}, -1, "", true},
        {{"--unregister"}, 1, "", false},
        {{"--unregister", "x"}, -1, "", true},
        {{"/s"}, -1, "", false},
        {{"/c", "--register"}, -1, "", false},
        {{}, -1, "", false},
    };
    for (const Row& row : rows) {
        QString error;
        const auto request = Read_List_Request(row.args, &error);
        SCOPED_TRACE(row.args.join(' ').toStdString());
        EXPECT_EQ(request ? static_cast<int>(request->Action) : -1, row.action);
        if (request) {
            EXPECT_EQ(request->Hack, row.hack);
        }
        EXPECT_EQ(!error.isEmpty(), row.error);
    }
}

}  // namespace
