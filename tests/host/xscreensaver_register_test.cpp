// The user's XScreenSaver list changed on disk by quelmscr --register and --unregister, with its
// earlier state given back.
#include "xscreensaver_list.h"
#include "xscreensaver_register.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kEntry = Quelm_List_Entry("/home/u/.local/bin/quelm3d");
const std::string kMaze = "\t\tmaze --root\t\\n\\", kLast = "  GL: \tsproingies --root\t\\n";
const std::string kList = "programs:\t\\\n" + kMaze + "\n" + kLast + "\n";
const std::string kOurs = "programs:\t\\\n" + kMaze + "\n" + kEntry + "\n" + kLast + "\n";
const std::string kAppDefaults = "*fade:\tTrue\n*" + kList + "*lock:\tFalse\n";

// The user's file, the daemon's list and the program directory in a folder of the test's own.
struct List_Folder {
    fs::path root = fs::temp_directory_path() / ("quelm-list-" + std::to_string(getpid()));
    List_Files files{(root / ".xscreensaver").string(), (root / "XScreenSaver").string(), (root / "program/").string()};
    List_Folder()
    {
        fs::remove_all(root);
        fs::create_directories(root / "program");
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
    bool No_Records() const { return fs::is_empty(root / "program"); }
};

const std::string kHack = "/usr/libexec/xscreensaver/quelm3d";

TEST(ListFile, GivesTheFileBackAsItWasWhenNothingElseChanged)
{
    struct Row {
        bool file;               // the user has a file before
        std::string before;      // and what it holds
        std::string meanwhile;   // appended between --register and --unregister
        std::string after;       // the file after --unregister ("-": none)
    };
    const Row rows[] = {{false, "", "", "-"},
                        {true, "mode:\trandom\n" + kList + "fade:\tTrue\n", "", "mode:\trandom\n" + kList + "fade:\tTrue\n"},
                        {true, "fade:\tTrue", "", "fade:\tTrue"},
                        {true, kList, "lock:\tFalse\n", kList + "lock:\tFalse\n"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.before);
        List_Folder f;
        if (row.file) f.Put(f.files.User_File, row.before);
        // A second --register (another hack path) replaces our line and keeps the first record.
        ASSERT_TRUE(Register_Hack(f.files, "/opt/q/quelm3d").Done);
        const List_Change added = Register_Hack(f.files, kHack);
        ASSERT_TRUE(added.Done) << added.Message;
        const std::string registered = f.Text(f.files.User_File);
        EXPECT_NE(registered.find(Quelm_List_Entry(kHack)), std::string::npos);
        EXPECT_EQ(registered.find("/opt/q/"), std::string::npos);
        f.Put(f.files.User_File, registered + row.meanwhile);
        const List_Change taken = Unregister_Hack(f.files);
        ASSERT_TRUE(taken.Done) << taken.Message;
        EXPECT_EQ(fs::exists(f.files.User_File) ? f.Text(f.files.User_File) : "-", row.after);
        EXPECT_TRUE(f.No_Records());
    }
}

TEST(ListFile, FailuresLeaveTheFileAsItWasAndUnrecordedLinesStillGo)
{
    List_Folder f;
    f.Put(f.files.User_File, "fade:\tTrue\n");
    fs::remove(f.files.App_Defaults);   // no list of its own, and none to start one from
    List_Change change = Register_Hack(f.files, kHack);
    EXPECT_NE(change.Message.find("is XScreenSaver installed"), std::string::npos) << change.Message;
    f.Put(f.files.App_Defaults, kAppDefaults);
    f.files.Record_Dir = (f.root / "missing/").string();   // nowhere to keep the record
    change = Register_Hack(f.files, kHack);
    EXPECT_NE(change.Message.find("cannot write"), std::string::npos) << change.Message;
    EXPECT_FALSE(change.Done);
    EXPECT_EQ(f.Text(f.files.User_File), "fade:\tTrue\n");
    EXPECT_TRUE(f.No_Records());

    // Our line in a file we have no record of (written by hand, or a record lost): it alone goes.
    f.Put(f.files.User_File, kOurs);
    EXPECT_TRUE(Unregister_Hack(f.files).Done);
    EXPECT_EQ(f.Text(f.files.User_File), kList);
    EXPECT_NE(Unregister_Hack(f.files).Message.find("is not in"), std::string::npos);
}

TEST(ListRequest, ReadsTheTwoSwitches)
{
    struct Row {
        QStringList args;
        int action;   // -1 none, 0 register, 1 unregister
        bool error;
    };
    const Row rows[] = {{{"--register"}, 0, false},         {{"--register", "/a/quelm3d"}, 0, false},
                        {{"--register", "quelm3d"}, -1, true}, {{"--register", "/a", "/b"}, -1, true},
                        {{"--unregister"}, 1, false},        {{"--unregister", "x"}, -1, true},
                        {{"/c", "--register"}, -1, false},   {{}, -1, false}};
    for (const Row& row : rows) {
        QString error;
        const auto request = Read_List_Request(row.args, &error);
        EXPECT_EQ(request ? static_cast<int>(request->Action) : -1, row.action) << row.args.join(' ').toStdString();
        EXPECT_EQ(!error.isEmpty(), row.error) << row.args.join(' ').toStdString();
    }
    EXPECT_EQ(Read_List_Request({"--register", "/a/quelm3d"}, nullptr)->Hack, QStringLiteral("/a/quelm3d"));
}

}  // namespace
