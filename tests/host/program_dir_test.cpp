// The program directory beside a system-wide install: the user's own folder made with links to
// the shared program, named in a new Path file, and what is already in such a folder kept.
#include "program_dir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& p) { return QFile::decodeName(p.c_str()); }

std::string Text(const fs::path& path)
{
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

// A shared program folder (engine, pack, help), a home for the user's folder and configuration.
struct Machine {
    fs::path root, shared, user, path_file;
    Machine()
    {
        root = fs::temp_directory_path() /
               ("quelm-dir-" + std::to_string(getpid()) + "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        shared = root / "usr/lib/quelm3d";
        fs::create_directories(shared / "Info");
        for (const char* name : {"zero", "data.res", "Info/help.html"}) std::ofstream(shared / name) << name;
        user = root / "home/.local/share/quelm3d";
        path_file = root / "home/.config/Velmora/Quelm 3D.ini";
    }
    ~Machine() { fs::remove_all(root); }
    Program_Dir_Places Places(bool shared_dir) const
    {
        return {Q(path_file), Q(shared) + "/", shared_dir, Q(user) + "/"};
    }
};

TEST(UserProgramDir, ASystemInstallGetsAFolderOfTheUsersOwn)
{
    Machine m;
    EXPECT_EQ(Find_Program_Dir(m.Places(true)), Q(m.user) + "/");
    for (const char* name : {"zero", "data.res", "Info"}) {
        EXPECT_TRUE(fs::is_symlink(m.user / name)) << name;
        EXPECT_EQ(fs::read_symlink(m.user / name), m.shared / name) << name;
    }
    EXPECT_EQ(Text(m.user / "Info/help.html"), "Info/help.html");
    EXPECT_EQ(Text(m.path_file), "[General]\nPath=" + m.user.string() + "\n");
    // The next start finds it through the Path file.
    EXPECT_EQ(Find_Program_Dir(m.Places(true)), Q(m.user) + "/");
}

TEST(UserProgramDir, TheUsersOwnFolderIsUsedAsItIs)
{
    struct Row {
        const char* name;
        bool shared;
        std::string path_file;   // its text; empty: none
        const char* expected;    // "user", "shared" or a folder
        bool made;               // whether the user's folder is made
    };
    const Row rows[] = {
        {"a writable folder of its own", false, "", "shared", false},
        {"the Path file names a folder", true, "[General]\nPath=/opt/quelm 3d\n", "/opt/quelm 3d/", false},
        {"the Path file names none", true, "[General]\nPath=\n", "user", true},
        {"a Path file of another section", true, "[Other]\nPath=/nope\n", "user", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Machine m;
        if (!row.path_file.empty()) {
            fs::create_directories(m.path_file.parent_path());
            std::ofstream(m.path_file) << row.path_file;
        }
        const QString expected = std::string(row.expected) == "user"     ? Q(m.user) + "/"
                                 : std::string(row.expected) == "shared" ? Q(m.shared) + "/"
                                                                         : QString::fromUtf8(row.expected);
        EXPECT_EQ(Find_Program_Dir(m.Places(row.shared)), expected);
        EXPECT_EQ(fs::exists(m.user), row.made);
    }
}

TEST(UserProgramDir, KeepsWhatTheFolderHoldsAndMendsBrokenLinks)
{
    Machine m;
    fs::create_directories(m.user);
    std::ofstream(m.user / "zero") << "the user's own engine";
    std::ofstream(m.user / "Controls.cfg") << "[FullScreen behaviour Control]\nclock_on=0\n";
    fs::create_symlink(m.root / "gone/data.res", m.user / "data.res");
    fs::create_symlink(m.root / "usr/lib/quelm3d/Info", m.user / "Info");
    QString error;
    ASSERT_TRUE(Make_User_Program_Dir(Q(m.user) + "/", Q(m.shared) + "/", &error)) << error.toStdString();
    EXPECT_FALSE(fs::is_symlink(m.user / "zero"));
    EXPECT_EQ(Text(m.user / "zero"), "the user's own engine");
    EXPECT_EQ(Text(m.user / "Controls.cfg"), "[FullScreen behaviour Control]\nclock_on=0\n");
    EXPECT_EQ(fs::read_symlink(m.user / "data.res"), m.shared / "data.res");
    EXPECT_EQ(fs::read_symlink(m.user / "Info"), m.shared / "Info");
}

TEST(UserProgramDir, WhatCannotBeMadeIsSaidAndTheRunGoesOn)
{
    {
        // The user's folder cannot be made: the run stays in the shared folder, no Path file.
        Machine m;
        fs::create_directories(m.user.parent_path().parent_path());
        std::ofstream(m.user.parent_path()) << "a file where the folder would go";
        EXPECT_EQ(Find_Program_Dir(m.Places(true)), Q(m.shared) + "/");
        EXPECT_FALSE(fs::exists(m.path_file));
        QString error;
        EXPECT_FALSE(Make_User_Program_Dir(Q(m.user) + "/", Q(m.shared) + "/", &error));
        EXPECT_TRUE(error.contains(Q(m.user))) << error.toStdString();
    }
    {
        // The Path file cannot be written: this run still works in the user's folder.
        Machine m;
        fs::create_directories(m.path_file.parent_path().parent_path());
        std::ofstream(m.path_file.parent_path()) << "a file where the folder would go";
        EXPECT_EQ(Find_Program_Dir(m.Places(true)), Q(m.user) + "/");
        EXPECT_TRUE(fs::is_symlink(m.user / "zero"));
    }
}

TEST(UserProgramDir, PlacesFollowTheUsersEnvironment)
{
    qputenv("XDG_DATA_HOME", "/home/someone/data");
    EXPECT_EQ(User_Program_Dir_Name(), QStringLiteral("/home/someone/data/quelm3d/"));
    qunsetenv("XDG_DATA_HOME");
    qputenv("HOME", "/home/someone");
    EXPECT_EQ(User_Program_Dir_Name(), QStringLiteral("/home/someone/.local/share/quelm3d/"));
    EXPECT_TRUE(Is_System_Program_Dir(System_Program_Dir()));
    EXPECT_FALSE(Is_System_Program_Dir(QStringLiteral("/home/someone/.local/share/quelm3d/")));
}

}  // namespace
