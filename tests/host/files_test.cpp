// The files module: small files read whole, files replaced whole through a new file renamed into
// place (links kept, permissions kept, nothing left behind on failure), and a replacement that
// sees another program's save.
#include "files.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Text_Of(const fs::path& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in a folder, hidden ones and links that lead nowhere included.
std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SmallFile, ReadWholeOrNotAtAll)
{
    TempFolder dir("files");
    std::ofstream(dir / "settings.cfg") << "[Main]\nA=1\n";
    std::ofstream(dir / "large") << std::string((1 << 20) + 1, 'x');
    fs::create_directory(dir / "folder");
    mkfifo(dir.file("pipe").c_str(), 0600);   // read without blocking: refused, not waited on
    const struct {
        const char* name;
        File_State state;
    } rows[] = {
        {"settings.cfg", File_State::Loaded}, {"missing", File_State::Missing},
        {"settings.cfg/below", File_State::Missing}, {"large", File_State::Unreadable},
        {"folder", File_State::Unreadable},   {"pipe", File_State::Unreadable},
    };
    for (const auto& row : rows) {
        const Small_File file = Read_Small_File(dir.file(row.name));
        EXPECT_EQ(file.State, row.state) << row.name;
        EXPECT_EQ(file.Text, row.state == File_State::Loaded ? "[Main]\nA=1\n" : "") << row.name;
        EXPECT_EQ(file.Identity.Exists, row.state == File_State::Loaded) << row.name;
    }
    EXPECT_EQ(Read_Small_File(dir.file("settings.cfg")).Identity, Identity_Of(dir.file("settings.cfg")));
}

TEST(ReplaceFile, ReplacesWholeKeepingLinksAndPermissions)
{
    const struct {
        const char* name;
        bool exists, through_link;
    } rows[] = {
        {"new file", false, false},
        {"old file", true, false},
        {"through a link", true, true},
        // A dotfile manager's link to a file it has not made yet: the link stays, the file is made.
        {"through a link to no file yet", false, true},
    };
    for (const auto& row : rows) {
        TempFolder dir("files");
        const std::string real = dir.file("Controls.cfg");
        if (row.exists) {
            std::ofstream(real) << "old contents that are longer than the new ones";
            chmod(real.c_str(), 0640);
        }
        std::string path = real;
        if (row.through_link) {
            // Two links, the second relative to its own folder.
            path = dir.file("link.cfg");
            ASSERT_EQ(symlink("hop.cfg", path.c_str()), 0);
            ASSERT_EQ(symlink(real.c_str(), dir.file("hop.cfg").c_str()), 0);
        }
        const Outcome replaced = Replace_File(path, "[Main]\nA=1\n");
        ASSERT_TRUE(replaced.Ok) << row.name << ": " << replaced.Message;
        EXPECT_EQ(Text_Of(real), "[Main]\nA=1\n") << row.name;
        EXPECT_EQ(fs::is_symlink(path), row.through_link) << row.name;
        struct stat info {};
        stat(real.c_str(), &info);
        if (row.exists) {
            EXPECT_EQ(info.st_mode & 0777, 0640u) << row.name;
        }
        EXPECT_EQ(Entries(dir.path()).size(), row.through_link ? 3u : 1u) << row.name;
    }
}

TEST(ReplaceFile, FailsWithAReasonAndLeavesNothingBehind)
{
    TempFolder dir("files");
    // A link into a folder that is not there: no folder is made for it.
    ASSERT_EQ(symlink("gone/Controls.cfg", dir.file("link.cfg").c_str()), 0);
    Outcome replaced = Replace_File(dir.file("link.cfg"), "x");
    EXPECT_FALSE(replaced.Ok);
    EXPECT_NE(replaced.Message.find("whose folder"), std::string::npos) << replaced.Message;
    EXPECT_TRUE(fs::is_symlink(dir / "link.cfg"));
    // A folder in the file's place cannot be renamed over.
    fs::create_directory(dir / "Controls.cfg");
    replaced = Replace_File(dir.file("Controls.cfg"), "x");
    EXPECT_FALSE(replaced.Ok);
    EXPECT_FALSE(replaced.Message.empty());
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"Controls.cfg", "link.cfg"}));
    replaced = Replace_File(dir.file("missing/Controls.cfg"), "x");
    EXPECT_FALSE(replaced.Ok);
    EXPECT_NE(replaced.Message.find("is missing"), std::string::npos) << replaced.Message;
}

TEST(ReplaceFile, AFolderThatTakesNoNewFileLeavesTheOldOneAsItWas)
{
    // A writable file in a folder the user may not add to: rewriting it in place could leave it
    // half written, so the replacement fails and the file keeps every byte. Root may add to any
    // folder, so the attempt runs as the user "nobody" in a child process.
    TempFolder dir("files");
    const std::string path = dir.file("Controls.cfg");
    std::ofstream(path) << "[Main]\nA=old\n";
    chmod(path.c_str(), 0666);
    chmod(dir.str().c_str(), 0555);
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        const Outcome replaced = Replace_File(path, "[Main]\nA=new\n");
        _exit(replaced.Ok ? 1 : replaced.Message.find("takes no new file") == std::string::npos ? 2 : 0);
    }
    int status = -1;
    waitpid(child, &status, 0);
    chmod(dir.str().c_str(), 0755);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
    EXPECT_EQ(Text_Of(path), "[Main]\nA=old\n");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"Controls.cfg"});
}

TEST(ReplaceFile, AnotherProgramsSaveIsSeenAndKept)
{
    TempFolder dir("files");
    const std::string path = dir.file("list");
    std::ofstream(path) << "first";
    const Small_File read = Read_Small_File(path);
    // Another program saves by renaming a new file into place.
    std::ofstream(dir / "new") << "theirs";
    fs::rename(dir / "new", path);
    Result<Replace_Result> written = Replace_File_If_Unchanged(path, "ours", read.Identity);
    ASSERT_TRUE(written.Ok) << written.Message;
    EXPECT_EQ(written.Value, Replace_Result::Changed);
    written = Remove_File_If_Unchanged(path, read.Identity);
    EXPECT_TRUE(written.Ok && written.Value == Replace_Result::Changed);
    EXPECT_EQ(Text_Of(path), "theirs");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"list"});

    const Small_File again = Read_Small_File(path);
    written = Replace_File_If_Unchanged(path, "ours", again.Identity);
    EXPECT_TRUE(written.Ok && written.Value == Replace_Result::Replaced);
    EXPECT_EQ(Text_Of(path), "ours");
    written = Remove_File_If_Unchanged(path, Read_Small_File(path).Identity);
    EXPECT_TRUE(written.Ok && written.Value == Replace_Result::Replaced);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
