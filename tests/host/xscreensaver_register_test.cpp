// The user's XScreenSaver list changed on disk by quelmscr --register and --unregister, with its
// earlier state given back.
#include "files.h"
#include "idle_autostart.h"
#include "xscreensaver_list.h"
#include "xscreensaver_register.h"

#include "support/temp_folder.h"

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

// The user's file, the daemon's list and the record folder in a folder of the test's own.
struct List_Folder {
    TempFolder folder{"list"};
    fs::path root = folder.path();
    List_Files files{(root / ".xscreensaver").string(), (root / "XScreenSaver").string(), (root / "state/").string(),
                     {}};
    List_Folder() { Put(files.App_Defaults, kAppDefaults); }
    static void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    static std::string Text(const std::string& path)
    {
        std::ostringstream out;
        out << std::ifstream(path, std::ios::binary).rdbuf();
        return out.str();
    }
    bool No_Records() const { return !fs::exists(root / "state") || fs::is_empty(root / "state"); }
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
        // A second --register (another hack path) updates our line and keeps the first record.
        ASSERT_TRUE(Register_Hack(f.files, "/opt/q/quelm3d").Ok);
        const List_Change added = Register_Hack(f.files, kHack);
        ASSERT_TRUE(added.Ok) << added.Message;
        const std::string registered = f.Text(f.files.User_File);
        EXPECT_NE(registered.find(Quelm_List_Entry(kHack)), std::string::npos);
        EXPECT_EQ(registered.find("/opt/q/"), std::string::npos);
        f.Put(f.files.User_File, registered + row.meanwhile);
        const List_Change taken = Unregister_Hack(f.files);
        ASSERT_TRUE(taken.Ok) << taken.Message;
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
    f.Put((f.root / "file").string(), "");
    f.files.Record_Dir = (f.root / "file/state/").string();   // nowhere to keep the record
    change = Register_Hack(f.files, kHack);
    EXPECT_NE(change.Message.find("cannot keep the list's record"), std::string::npos) << change.Message;
    EXPECT_FALSE(change.Ok);
    EXPECT_EQ(f.Text(f.files.User_File), "fade:\tTrue\n");
    EXPECT_TRUE(f.No_Records());

    // Our line in a file we have no record of (written by hand, or a record lost): it alone goes.
    f.Put(f.files.User_File, kOurs);
    EXPECT_TRUE(Unregister_Hack(f.files).Ok);
    EXPECT_EQ(f.Text(f.files.User_File), kList);
    EXPECT_NE(Unregister_Hack(f.files).Message.find("is not in"), std::string::npos);
}

TEST(ListFile, ASecondRegisterKeepsTheUsersOptionsAndMark)
{
    const std::string chosen = "- GL: \"Quelm 3D\"  /opt/q/quelm3d --root --speed 5 --no-music \\n\\";
    struct Row {
        std::string hack, line_after, said;
    };
    const Row rows[] = {{"/opt/q/quelm3d", chosen, "already in"},
                        {kHack, "- GL: \"Quelm 3D\"  " + kHack + " --root --speed 5 --no-music \\n\\", "now runs"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.hack);
        List_Folder f;
        const std::string mine = "programs:\t\\\n" + kMaze + "\n" + chosen + "\n" + kLast + "\n";
        f.Put(f.files.User_File, mine);
        const List_Change change = Register_Hack(f.files, row.hack);
        ASSERT_TRUE(change.Ok) << change.Message;
        EXPECT_NE(change.Message.find(row.said), std::string::npos) << change.Message;
        EXPECT_EQ(f.Text(f.files.User_File), "programs:\t\\\n" + kMaze + "\n" + row.line_after + "\n" + kLast + "\n");
    }
}

// Another program saves the list (a new file renamed into place, as XScreenSaver does) between
// our reading and our writing: its save is seen, read again and kept, with our change on top.
TEST(ListFile, ASaveBetweenReadingAndWritingIsReadAgain)
{
    for (bool registering : {true, false}) {
        SCOPED_TRACE(registering ? "register" : "unregister");
        List_Folder f;
        f.Put(f.files.User_File, registering ? kList : kOurs);
        int saves = 0;
        f.files.Before_Write = [&] {
            if (saves++ > 0) return;
            const std::string saved = f.Text(f.files.User_File) + "lock:\tTrue\n", temp = f.files.User_File + ".new";
            f.Put(temp, saved);
            fs::rename(temp, f.files.User_File);
        };
        const List_Change change = registering ? Register_Hack(f.files, kHack) : Unregister_Hack(f.files);
        ASSERT_TRUE(change.Ok) << change.Message;
        EXPECT_EQ(change.Redone, 1);
        const std::string text = f.Text(f.files.User_File);
        EXPECT_NE(text.find("lock:\tTrue\n"), std::string::npos) << text;
        EXPECT_EQ(text.find(kHack) != std::string::npos, registering) << text;
    }
    // A file saved anew before every write is given up, with nothing written.
    List_Folder f;
    f.Put(f.files.User_File, kList);
    f.files.Before_Write = [&] {
        const std::string temp = f.files.User_File + ".new";
        f.Put(temp, kList);
        fs::rename(temp, f.files.User_File);
    };
    const List_Change change = Register_Hack(f.files, kHack);
    EXPECT_FALSE(change.Ok);
    EXPECT_NE(change.Message.find("nothing was written"), std::string::npos) << change.Message;
    EXPECT_EQ(f.Text(f.files.User_File), kList);
    EXPECT_TRUE(f.No_Records());
}

// Dotfile managers keep ~/.xscreensaver as a link into a folder of theirs: it stays a link.
TEST(ListFile, AListKeptAsALinkStaysALink)
{
    List_Folder f;
    fs::create_directories(f.root / "dotfiles");
    fs::create_symlink("dotfiles/xscreensaver", f.files.User_File);   // leads to no file yet
    ASSERT_TRUE(Register_Hack(f.files, kHack).Ok);
    EXPECT_TRUE(fs::is_symlink(f.files.User_File));
    EXPECT_NE(f.Text((f.root / "dotfiles/xscreensaver").string()).find(kHack), std::string::npos);
    const List_Change taken = Unregister_Hack(f.files);
    ASSERT_TRUE(taken.Ok) << taken.Message;
    EXPECT_TRUE(fs::is_symlink(f.files.User_File));
    EXPECT_FALSE(fs::exists(f.root / "dotfiles/xscreensaver"));   // as before: a link to no file yet
}

// One program directory, two homes: each home's record is its own, and the second user's list
// comes back byte for byte after their own register and unregister.
TEST(ListFile, EachHomesRecordIsItsOwn)
{
    if (!fs::exists("/etc/X11/app-defaults/XScreenSaver")) GTEST_SKIP() << "XScreenSaver is not installed";
    List_Folder f;
    const fs::path hack = f.root / "bin/quelm3d", home_a = f.root / "a", home_b = f.root / "b";
    fs::create_directories(f.root / "bin");
    f.Put(hack.string(), "#!/bin/sh\n");
    fs::permissions(hack, fs::perms::owner_all);
    fs::create_directories(home_a);
    fs::create_directories(home_b);
    const std::string b_list = "# B's own\n" + kList;
    f.Put((home_b / ".xscreensaver").string(), b_list);
    const std::string saved_home = getenv("HOME") ? getenv("HOME") : "";
    unsetenv("XDG_STATE_HOME");
    const List_Request add{List_Action::Register, QString::fromStdString(hack.string())};
    const List_Request take{List_Action::Unregister, {}};
    setenv("HOME", home_a.c_str(), 1);
    EXPECT_EQ(Change_Hack_List(add), 0);
    setenv("HOME", home_b.c_str(), 1);
    EXPECT_EQ(Change_Hack_List(add), 0);
    EXPECT_EQ(Change_Hack_List(take), 0);
    setenv("HOME", saved_home.c_str(), 1);
    EXPECT_EQ(f.Text((home_b / ".xscreensaver").string()), b_list);
    EXPECT_TRUE(fs::exists(home_a / ".xscreensaver"));
    EXPECT_FALSE(fs::exists(home_b / ".local"));   // the records and the folders made for them gone
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
                        {{"/c", "--register"}, -1, false},   {{}, -1, false},
                        {{"--register", "--idle-start"}, 0, false},
                        {{"--register", "--idle-minutes", "9", "/a/quelm3d"}, 0, false},
                        {{"--register", "--idle-minutes", "0"}, -1, true},
                        {{"--register", "--idle-minutes", "1441"}, -1, true},
                        {{"--register", "--idle-minutes"}, -1, true},
                        {{"--register", "--idle-minutes", "x"}, -1, true},
                        {{"--unregister", "--idle-start"}, -1, true}};
    for (const Row& row : rows) {
        const auto request = Read_List_Request(row.args);
        const std::string args = row.args.join(' ').toStdString();
        EXPECT_EQ(request.Ok && request.Value ? static_cast<int>(request.Value->Action) : -1, row.action) << args;
        EXPECT_EQ(!request.Ok, row.error) << args;
        EXPECT_EQ(request.Message.empty(), request.Ok) << args << ": " << request.Message;
    }
    EXPECT_EQ(Read_List_Request({"--register", "/a/quelm3d"}).Value->Hack, QStringLiteral("/a/quelm3d"));
    const auto idle = Read_List_Request({"--register", "--idle-minutes", "9", "/a/quelm3d", "--idle-start"}).Value;
    ASSERT_TRUE(idle);
    EXPECT_EQ(idle->Idle_Minutes, 9);
    EXPECT_TRUE(idle->Idle_Start);
    EXPECT_EQ(idle->Hack, QStringLiteral("/a/quelm3d"));
    EXPECT_EQ(Read_List_Request({"--register"}).Value->Idle_Minutes, 4);
    EXPECT_EQ(Read_List_Request({"--register", "quelm3d"}).Message, "--register: \"quelm3d\" is not an absolute path");
}

// The idle start's entry: written with the user's minutes, replaced with new ones, and gone with
// the folders made for it; a folder the user had stays, with what else it holds.
TEST(IdleStart, TheEntryComesAndGoesWithTheFoldersMadeForIt)
{
    const TempFolder folder("autostart");
    const std::string home = folder.str();
    const std::string dir = home + "/.config/autostart/";
    ASSERT_TRUE(Enable_Idle_Start(dir, "/usr/bin/quelmscr", 4).Ok);
    ASSERT_TRUE(Enable_Idle_Start(dir, "/opt/my quelm/quelmscr", 7).Ok);
    const Small_File entry = Read_Small_File(dir + "quelm3d-idle.desktop");
    ASSERT_EQ(entry.State, File_State::Loaded);
    const std::string& text = entry.Text;
    EXPECT_NE(text.find("Exec=\"/opt/my quelm/quelmscr\" --idle --idle-minutes 7\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("--idle-minutes 4"), std::string::npos) << text;
    EXPECT_TRUE(Disable_Idle_Start(dir).Ok);
    EXPECT_FALSE(fs::exists(home + "/.config")) << "the folders made for the entry stayed";
    EXPECT_TRUE(Disable_Idle_Start(dir).Ok) << "nothing to take out is no failure";

    fs::create_directories(dir);
    std::ofstream(dir + "other.desktop") << "[Desktop Entry]\n";
    ASSERT_TRUE(Enable_Idle_Start(dir, "/usr/bin/quelmscr", 4).Ok);
    ASSERT_TRUE(Disable_Idle_Start(dir).Ok);
    EXPECT_TRUE(fs::exists(dir + "other.desktop"));
    EXPECT_FALSE(fs::exists(dir + "quelm3d-idle.desktop"));
}

// The program's path as the entry's Exec key carries it: quoted where it must be, with what the
// quotes, the file's own escaping and the field codes would take otherwise escaped; a path with a
// line break cannot be carried and is refused, with nothing written.
TEST(IdleStart, TheProgramsPathIsCarriedAsItIs)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/usr/bin/quelmscr", "/usr/bin/quelmscr"},
        {"/opt/my quelm/quelmscr", "\"/opt/my quelm/quelmscr\""},
        {"/opt/100%/quelmscr", "\"/opt/100%%/quelmscr\""},
        {"/opt/a\"b$c`d/quelmscr", "\"/opt/a\\\\\"b\\\\$c\\\\`d/quelmscr\""},
        {"/opt/back\\slash/quelmscr", "\"/opt/back\\\\\\\\slash/quelmscr\""}};
    for (const auto& [path, exec] : cases) {
        SCOPED_TRACE(path);
        const std::string entry = Idle_Autostart_Entry(path, 5);
        EXPECT_NE(entry.find("\nExec=" + exec + " --idle --idle-minutes 5\n"), std::string::npos) << entry;
    }
    const TempFolder folder("autostart");
    const std::string dir = folder.str() + "/autostart/";
    const Outcome refused = Enable_Idle_Start(dir, "/opt/two\nlines/quelmscr", 4);
    EXPECT_FALSE(refused.Ok);
    EXPECT_NE(refused.Message.find("line break"), std::string::npos) << refused.Message;
    EXPECT_FALSE(fs::exists(dir));
}

}  // namespace
