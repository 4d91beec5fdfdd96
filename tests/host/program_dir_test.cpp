// The program directory: the Path file's value, and beside a system-wide install the user's own
// folder made with links to the shared program, named in a new Path file, and what is already in
// such a folder kept; the web addresses.
#include "program_dir.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder as the host writes it, with "/".
std::string Dir(const fs::path& p) { return p.string() + "/"; }
QString Q(const std::string& s) { return QFile::decodeName(s.c_str()); }

std::string Text(const fs::path& path)
{
    std::ostringstream out;
    out << std::ifstream(path).rdbuf();
    return out.str();
}

// A shared program folder (engine, pack, help) and a home for the user's folder and Path file.
struct Machine {
    TempFolder folder{"dir"};
    fs::path root = folder.path();
    fs::path shared = root / "lib/quelm3d", user = root / "home/.local/share/quelm3d";
    fs::path path_file = root / "home/.config/Velmora/Quelm 3D.ini";
    Machine()
    {
        // Open to every user, as a machine's folders are: another user's view of it is tested.
        fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(shared / "Info");
        for (const char* name : {"zero", "data.res", "Info/help.html"}) std::ofstream(shared / name) << name;
    }
    std::string Find(bool shared_dir) const
    {
        return Find_Program_Dir({Q(path_file), Q(Dir(shared)), shared_dir, Q(Dir(user))}).toStdString();
    }
};

TEST(UserProgramDir, ASystemInstallGetsAFolderOfTheUsersOwn)
{
    Machine m;
    EXPECT_EQ(m.Find(true), Dir(m.user));
    for (const char* name : {"zero", "data.res", "Info"}) EXPECT_EQ(fs::read_symlink(m.user / name), m.shared / name);
    EXPECT_EQ(Text(m.path_file), "[General]\nPath=" + m.user.string() + "\n");
    EXPECT_EQ(m.Find(true), Dir(m.user));   // the next start finds it through the Path file
    fs::remove_all(m.user);                 // and makes it again when the user removed it
    EXPECT_EQ(m.Find(true), Dir(m.user));
    EXPECT_EQ(fs::read_symlink(m.user / "zero"), m.shared / "zero");

    // What is there stays (a user's own engine, the settings); a link that leads nowhere is mended.
    fs::remove(m.user / "zero");
    std::ofstream(m.user / "zero") << "mine";
    fs::remove(m.user / "data.res");
    fs::create_symlink(m.root / "gone", m.user / "data.res");
    const Outcome made = Make_User_Program_Dir(Q(Dir(m.user)), Q(Dir(m.shared)));
    ASSERT_TRUE(made.Ok) << made.Message;
    EXPECT_EQ(Text(m.user / "zero"), "mine");
    EXPECT_EQ(fs::read_symlink(m.user / "data.res"), m.shared / "data.res");
}

TEST(UserProgramDir, OnlyASharedFolderWithoutAPathTakesOne)
{
    struct Row {
        bool shared;
        std::string path_file;   // its text; empty: none
        std::string expected;    // "user", "shared" or a folder
    };
    const Row rows[] = {{false, "", "shared"},
                        {false, "[General]\nPath=/opt/quelm 3d\n", "/opt/quelm 3d/"},
                        {false, "[general]\r\npath = /opt/q/ \r\n", "/opt/q/"},   // names ignore case; blanks, "/"
                        {false, "[General]\nPath=\n", "shared"},
                        {false, "[Other]\nPath=/nope\n", "shared"},
                        {false, "[General]\nPathX=/nope\n", "shared"},
                        {true, "[General]\nPath=/opt/quelm 3d\n", "/opt/quelm 3d/"},
                        {true, "[General]\nPath=\n", "user"},
                        {true, "[Other]\nPath=/nope\n", "user"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path_file);
        Machine m;
        if (!row.path_file.empty()) {
            fs::create_directories(m.path_file.parent_path());
            std::ofstream(m.path_file) << row.path_file;
        }
        const std::string found = m.Find(row.shared);
        EXPECT_EQ(found, row.expected == "user" ? Dir(m.user) : row.expected == "shared" ? Dir(m.shared) : row.expected);
        EXPECT_EQ(fs::exists(m.user), row.expected == "user");
    }
}

TEST(UserProgramDir, WhatCannotBeMadeIsSaidAndTheRunGoesOn)
{
    Machine m;
    fs::create_directories(m.root / "home/.config");
    std::ofstream(m.root / "home/.local") << "a file where a folder would go";
    std::ofstream(m.root / "home/.config/Velmora") << "a file where a folder would go";
    EXPECT_EQ(m.Find(true), Dir(m.shared));   // no folder of its own: the shared one, no Path file
    EXPECT_FALSE(fs::exists(m.path_file));
    fs::remove(m.root / "home/.local");
    EXPECT_EQ(m.Find(true), Dir(m.user));     // no Path file: this run still goes on in the user's folder
    EXPECT_FALSE(fs::exists(m.path_file));
    EXPECT_TRUE(Is_System_Program_Dir(System_Program_Dir()));
}

// The Path file in the user's configuration folder names the program directory, else the
// executable's own folder (writable here) is it; the help pages lie in it.
TEST(ProgramDir, PathFileAndHelpFolder)
{
    TempFolder config("config");
    const QByteArray saved_config = qgetenv("XDG_CONFIG_HOME"), saved_home = qgetenv("HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Q(config.str())));
    EXPECT_EQ(Path_File_Name(), Q(config.str() + "/Velmora/Quelm 3D.ini"));
    Host_Paths paths;
    Init_Paths(paths);
    const std::string own = fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
    EXPECT_EQ(paths.Program_Dir.toStdString(), own);
    fs::create_directories(config / "Velmora");
    std::ofstream(config / "Velmora/Quelm 3D.ini") << "[General]\nPath=/opt/quelm 3d\n";
    Init_Paths(paths);
    EXPECT_EQ(paths.Program_Dir.toStdString(), "/opt/quelm 3d/");
    EXPECT_EQ(paths.Help_Dir.toStdString(), "/opt/quelm 3d/Info/");

    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", "/home/someone");
    EXPECT_EQ(Path_File_Name().toStdString(), "/home/someone/.config/Velmora/Quelm 3D.ini");
    qputenv("XDG_CONFIG_HOME", saved_config);
    if (saved_config.isNull()) qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", saved_home);
}

// Root may write anywhere, so what the engine's folder is for another user runs as "nobody" in a
// child process; a home of another user is one root's sudo kept.
TEST(UserProgramDir, AFolderOrHomeThatIsNotThisUsersIsNamed)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    Machine m;
    fs::create_directories(m.root / "home");
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
        const bool shared_named = Unwritable_Reason(Q(Dir(m.shared))).contains(u"cannot be written");
        const bool tmp_free = Unwritable_Reason(QStringLiteral("/tmp/")).isEmpty();
        _exit(shared_named && tmp_free ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);

    const QByteArray saved = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(Q((m.root / "home").string())));
    EXPECT_TRUE(Foreign_Home_Reason().isEmpty());
    ASSERT_EQ(chown((m.root / "home").c_str(), 65534, 65534), 0);
    const QString reason = Foreign_Home_Reason();
    qputenv("HOME", saved);
    EXPECT_TRUE(reason.contains(u"belongs to") && reason.contains(u"sudo -H")) << reason.toStdString();
}

}  // namespace
