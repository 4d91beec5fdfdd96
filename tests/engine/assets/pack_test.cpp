#include "assets/pack.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

static std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

static std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Each test works in a fresh current directory, as the engine does in its program directory.
class PackFolder : public ::testing::Test {
protected:
    fs::path oldDir = fs::current_path();
    fs::path dir;
    void SetUp() override
    {
        setenv("ZERO_MESSAGES", "stderr", 1);
        char pattern[] = "/tmp/quelm-pack-XXXXXX";
        dir = mkdtemp(pattern);
        fs::current_path(dir);
    }
    void TearDown() override
    {
        fs::current_path(oldDir);
        fs::remove_all(dir);
    }
    void writePack(const std::vector<uint8_t>& pack, const char* name = "data.res")
    {
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), pack.size());
    }
};

TEST(PackFormat, TwoEntryExampleIs49Bytes)
{
    std::vector<uint8_t> pack = buildPack({{"a.txt", bytes("abc")}, {"b.txt", bytes("de")}});
    ASSERT_EQ(pack.size(), 49u);
    EXPECT_EQ(pack[0], 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&pack[4])), "a.txt");
    EXPECT_EQ(pack[20], 44);
    EXPECT_EQ(pack[40], 47);
    EXPECT_EQ(std::string(pack.begin() + 44, pack.end()), "abcde");
    auto dir = parsePackDirectory(pack, 49);
    ASSERT_EQ(dir.size(), 2u);
    EXPECT_EQ(dir[0].name, "b.txt");   // the last record comes first
    EXPECT_EQ(dir[0].size, 2);
    EXPECT_EQ(dir[1].name, "a.txt");
    EXPECT_EQ(dir[1].size, 3);
}

TEST(PackFormat, BadDirectoriesKeepOnlySensibleRecords)
{
    std::vector<uint8_t> good = buildPack({{"a.txt", bytes("abc")}, {"b.txt", bytes("de")}});
    auto withCount = [&](int32_t count) {
        std::vector<uint8_t> p = good;
        std::memcpy(p.data(), &count, 4);
        return parsePackDirectory(p, static_cast<int64_t>(p.size()));
    };
    EXPECT_TRUE(withCount(-1).empty());
    EXPECT_TRUE(withCount(0).empty());
    EXPECT_TRUE(withCount(0x7FFFFFFF).empty());   // more records than the file can hold

    std::vector<uint8_t> beyond = good;
    int32_t far = 100000;
    std::memcpy(&beyond[40], &far, 4);   // b.txt starts past the end
    auto dir = parsePackDirectory(beyond, static_cast<int64_t>(beyond.size()));
    EXPECT_TRUE(std::none_of(dir.begin(), dir.end(), [](const PackRecord& r) { return r.name == "b.txt"; }));

    std::vector<uint8_t> decreasing = good;
    int32_t back = 44;
    int32_t later = 46;
    std::memcpy(&decreasing[20], &later, 4);
    std::memcpy(&decreasing[40], &back, 4);   // a.txt would get a negative size
    for (const PackRecord& r : parsePackDirectory(decreasing, 49)) {
        EXPECT_GE(r.size, 0);
        EXPECT_LE(r.offset + r.size, 49);
    }
    EXPECT_TRUE(parsePackDirectory({1, 0}, 2).empty());
}

TEST(PackFormat, NamesWithFolderPartsAreNotEntries)
{
    for (const char* bad : {"../escape.txt", "/tmp/x", "a\\b", "c:x", "..", ".", ""})
        EXPECT_FALSE(isPlainEntryName(bad)) << bad;
    EXPECT_TRUE(isPlainEntryName("ter.3ds"));
    auto dir = parsePackDirectory(buildPack({{"../escape.txt", bytes("x")}, {"ok.txt", bytes("y")}}), 4 + 40 + 2);
    ASSERT_EQ(dir.size(), 1u);
    EXPECT_EQ(dir[0].name, "ok.txt");
}

TEST_F(PackFolder, ExtractsByteForByteAndCleansUp)
{
    writePack(buildPack({{"a.txt", bytes("abc")}, {"empty.bin", {}}, {"B.TXT", bytes("de")}}));
    ResourcePack pack;
    pack.open("data.res");
    EXPECT_EQ(pack.entryCount(), 3);
    EXPECT_EQ(pack.folderName(), "ScrTempFd");
    pack.extract("a.txt");
    pack.extract("b.txt");   // any spelling finds it; the copy carries the stored name
    pack.extract("empty.bin");
    EXPECT_EQ(pack.tempPath("a.txt"), "ScrTempFd/a.txt");
    EXPECT_EQ(fileText(pack.tempPath("a.txt")), "abc");
    EXPECT_EQ(fileText(pack.tempPath("b.txt")), "de");
    EXPECT_TRUE(fs::exists("ScrTempFd/B.TXT"));
    EXPECT_TRUE(fs::exists("ScrTempFd/empty.bin"));
    EXPECT_EQ(fs::file_size("ScrTempFd/empty.bin"), 0u);
    pack.removeTempFiles();
    EXPECT_FALSE(fs::exists("ScrTempFd"));
}

TEST_F(PackFolder, SameNameInAnotherCaseTheLaterRecordWins)
{
    writePack(buildPack({{"x.txt", bytes("first")}, {"X.TXT", bytes("second")}}));
    ResourcePack pack;
    pack.open("data.res");
    pack.extract("x.txt");
    EXPECT_EQ(fileText(pack.tempPath("x.txt")), "second");
}

TEST_F(PackFolder, MissingNameLeavesNoFile)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    ResourcePack pack;
    pack.open("data.res");
    testing::internal::CaptureStderr();
    pack.extract("nothere.jpg");
    pack.extract("../data.res");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[nothere.jpg] RES NOT FOUND"), std::string::npos) << err;
    EXPECT_NE(err.find("[../data.res] RES NOT FOUND"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty("ScrTempFd"));
}

TEST_F(PackFolder, MissingPackMakesNoFolderAndStops)
{
    static int stops = 0;
    ResourcePack pack;
    pack.onOpenFailure = [] { ++stops; };
    testing::internal::CaptureStderr();
    pack.open("data.res");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[ERROR] Res File Not Found!\n");
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(fs::exists("ScrTempFd"));
}

TEST_F(PackFolder, LeftoverFolders)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    fs::create_directory("ScrTempFd");   // an empty leftover is reused
    {
        ResourcePack pack;
        pack.open("data.res");
        EXPECT_EQ(pack.folderName(), "ScrTempFd");
    }
    fs::create_directory("ScrTempFd");
    std::ofstream("ScrTempFd/keep.txt") << "someone's";
    ResourcePack pack;
    pack.open("data.res");
    EXPECT_EQ(pack.folderName(), "ScrTempFd0");
    EXPECT_EQ(pack.tempPath("a.txt"), "ScrTempFd0/a.txt");
    pack.extract("a.txt");
    std::ofstream("ScrTempFd0/foreign.txt") << "x";   // a foreign file keeps the folder
    pack.removeTempFiles();
    EXPECT_TRUE(fs::exists("ScrTempFd0/foreign.txt"));
    EXPECT_FALSE(fs::exists("ScrTempFd0/a.txt"));
    EXPECT_EQ(fileText("ScrTempFd/keep.txt"), "someone's");
}

// Engines that share a program directory (a daemon starts one per monitor at the same moment):
// each gets a folder of its own and keeps it, whatever leftovers lie there, and nothing is left.
TEST_F(PackFolder, EnginesStartedTogetherNeverShareAFolder)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    const std::vector<std::function<void()>> leftovers = {
        [] {},
        [] { fs::create_directory("ScrTempFd"); },
        [] { fs::create_directory("ScrTempFd0"); },
        [] {
            fs::create_directory("ScrTempFd");
            std::ofstream("ScrTempFd/keep.txt") << "someone's";
        },
    };
    for (int round = 0; round < 20; ++round) {
        leftovers[round % leftovers.size()]();
        int go[2][2], said[2];   // each child its own go-ahead, one pipe back for both
        ASSERT_EQ(pipe(go[0]), 0);
        ASSERT_EQ(pipe(go[1]), 0);
        ASSERT_EQ(pipe(said), 0);
        pid_t children[2];
        for (int k = 0; k < 2; ++k) {
            children[k] = fork();
            ASSERT_GE(children[k], 0);
            if (children[k] == 0) {
                const int mine = go[k][0];
                char c;
                if (read(mine, &c, 1) != 1) _exit(2);
                ResourcePack pack;
                pack.open("data.res");
                pack.extract("a.txt");
                struct stat folder {};
                if (stat(pack.folderName().c_str(), &folder) != 0) _exit(3);
                const std::string line = pack.folderName() + " " + std::to_string(folder.st_ino) + "\n";
                if (write(said[1], line.data(), line.size()) != static_cast<ssize_t>(line.size())) _exit(4);
                if (read(mine, &c, 1) != 1) _exit(5);   // both live until both have spoken
                const bool kept = fileText(pack.tempPath("a.txt")) == "abc";
                pack.removeTempFiles();
                _exit(kept ? 0 : 6);
            }
        }
        for (auto& pair : go) ASSERT_EQ(write(pair[1], "g", 1), 1);   // as close to one instant as it gets
        std::string heard;
        char buffer[256];
        while (std::count(heard.begin(), heard.end(), '\n') < 2) {
            const ssize_t n = read(said[0], buffer, sizeof buffer);
            ASSERT_GT(n, 0);
            heard.append(buffer, static_cast<size_t>(n));
        }
        for (auto& pair : go) ASSERT_EQ(write(pair[1], "e", 1), 1);
        for (pid_t child : children) {
            int status = 0;
            waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round << ": " << status;
        }
        for (int fd : {go[0][0], go[0][1], go[1][0], go[1][1], said[0], said[1]}) ::close(fd);
        std::istringstream lines(heard);
        std::string first, second;
        std::getline(lines, first);
        std::getline(lines, second);
        EXPECT_NE(first.substr(0, first.find(' ')), second.substr(0, second.find(' '))) << "round " << round;
        EXPECT_NE(first, second) << "round " << round;
        std::set<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir)) left.insert(entry.path().filename().string());
        std::set<std::string> expected = {"data.res"};
        if (round % leftovers.size() == 3) expected.insert("ScrTempFd");   // the one with someone's file
        EXPECT_EQ(left, expected) << "round " << round;
        fs::remove_all("ScrTempFd");
    }
}

// The exit's clean-up repeats the end of the run's; by then another engine may have made a
// folder of the same name, which must stay.
TEST_F(PackFolder, TheSecondCleanUpLeavesAnotherEnginesFolder)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    ResourcePack first;
    first.open("data.res");
    first.removeTempFiles();
    ResourcePack second;
    second.open("data.res");
    ASSERT_EQ(second.folderName(), "ScrTempFd");
    first.close();
    EXPECT_TRUE(fs::is_directory("ScrTempFd"));
    ResourcePack third;   // and one that starts beside a live, still empty folder leaves it be
    third.open("data.res");
    EXPECT_EQ(third.folderName(), "ScrTempFd0");
    EXPECT_TRUE(fs::is_directory("ScrTempFd"));
}

TEST_F(PackFolder, EscapingNamesWriteNothingOutside)
{
    writePack(buildPack({{"../escape.txt", bytes("x")}, {"/tmp/x", bytes("y")}}));
    ResourcePack pack;
    testing::internal::CaptureStderr();
    pack.open("data.res");
    pack.extract("../escape.txt");
    pack.extract("/tmp/x");
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(fs::exists(dir.parent_path() / "escape.txt"));
    EXPECT_FALSE(fs::exists("escape.txt"));
    pack.removeTempFiles();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);   // only data.res
}

TEST_F(PackFolder, UnwritableFolderIsReportedOnce)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    ResourcePack pack;
    testing::internal::CaptureStderr();
    pack.open("data.res");
    std::string err = testing::internal::GetCapturedStderr();
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(err, "[ERROR] Temporary folder could not be created!\n");
}
