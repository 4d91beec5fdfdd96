#include "assets/pack.h"

#include "engine/base/fatal_messages.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sstream>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

static std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }

static std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

using LockCall = int (*)(int, int);

// A file system that locks nothing (NFS without its lock service): every lock call fails.
static int noLocks(int, int)
{
    errno = ENOLCK;
    return -1;
}

// Locks work, but the look at the lock of a leftover "ScrTempFd" fails for another reason than
// a holder: whether its engine still runs cannot be told.
static int leftoverLockFails(int fd, int operation)
{
    std::error_code ec;
    const fs::path file = fs::read_symlink("/proc/self/fd/" + std::to_string(fd), ec);
    if (file.parent_path().filename() == "ScrTempFd") {
        errno = EIO;
        return -1;
    }
    return flock(fd, operation);
}

// Each test works in a fresh current directory, as the engine does in its program directory.
class PackFolder : public ::testing::Test {
protected:
    fs::path oldDir = fs::current_path();
    TempFolder dir{"pack"};
    void SetUp() override
    {
        setenv("ZERO_MESSAGES", "stderr", 1);
        fs::current_path(dir.path());
    }
    void TearDown() override { fs::current_path(oldDir); }
    void writePack(const std::vector<uint8_t>& pack, const char* name = "data.res")
    {
        std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(pack.data()), pack.size());
    }
};

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
    std::set<std::string> inside;
    for (const auto& entry : fs::directory_iterator("ScrTempFd")) inside.insert(entry.path().filename().string());
    EXPECT_EQ(inside, std::set<std::string>{kFolderLockName});
}

TEST_F(PackFolder, MissingPackMakesNoFolderAndStops)
{
    FatalMessages fatal;
    ResourcePack pack;
    testing::internal::CaptureStderr();
    pack.open("data.res");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "[ERROR] Res File Not Found!\n");
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>{FailurePointer::Shown});
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
// each gets a folder of its own and keeps it, whatever leftovers lie there and whether or not the
// file system locks, and nothing of theirs is left. Without locks no leftover is taken.
TEST_F(PackFolder, EnginesStartedTogetherNeverShareAFolder)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    struct Leftover {
        std::function<void()> make;
        std::set<std::string> keptWithLocks, keptWithout;
    };
    const std::vector<Leftover> leftovers = {
        {[] {}, {}, {}},
        {[] { fs::create_directory("ScrTempFd"); }, {}, {"ScrTempFd"}},
        {[] { fs::create_directory("ScrTempFd0"); }, {}, {"ScrTempFd0"}},
        {[] {
             fs::create_directory("ScrTempFd");
             std::ofstream("ScrTempFd/keep.txt") << "someone's";
         },
         {"ScrTempFd"}, {"ScrTempFd"}},
        {[] {   // an engine that was killed
             fs::create_directory("ScrTempFd");
             std::ofstream("ScrTempFd/a.txt") << "abc";
             std::ofstream(std::string("ScrTempFd/") + kFolderLockName);
         },
         {}, {"ScrTempFd"}},
    };
    for (LockCall lockCall : {LockCall(flock), LockCall(noLocks)}) {
        const bool locks = lockCall == LockCall(flock);
        for (int round = 0; round < 20; ++round) {
            SCOPED_TRACE(std::string(locks ? "with" : "without") + " locks, round " + std::to_string(round));
            const Leftover& leftover = leftovers[round % leftovers.size()];
            leftover.make();
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
                    pack.lockCall = lockCall;
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
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
            }
            for (int fd : {go[0][0], go[0][1], go[1][0], go[1][1], said[0], said[1]}) ::close(fd);
            std::istringstream lines(heard);
            std::string first, second;
            std::getline(lines, first);
            std::getline(lines, second);
            EXPECT_NE(first.substr(0, first.find(' ')), second.substr(0, second.find(' ')));
            EXPECT_NE(first, second);
            std::set<std::string> left;
            for (const auto& entry : fs::directory_iterator(dir.path())) left.insert(entry.path().filename().string());
            std::set<std::string> expected = locks ? leftover.keptWithLocks : leftover.keptWithout;
            expected.insert("data.res");
            EXPECT_EQ(left, expected);
            for (const char* name : {"ScrTempFd", "ScrTempFd0", "ScrTempFd1"}) fs::remove_all(name);
        }
    }
}

// What an earlier engine left in "ScrTempFd" decides whether this one takes the name: a folder
// of nothing but the pack's copies (and its lock file) whose lock is free is a dead engine's
// litter, removed and made anew; anything else stays as it is and the engine takes "ScrTempFd0".
TEST_F(PackFolder, LeftoverOfAnEngineThatIsGoneIsReclaimed)
{
    writePack(buildPack({{"a.txt", bytes("abc")}, {"B.TXT", bytes("de")}}));
    const std::string lockFile = kFolderLockName;
    struct Case {
        const char* what;
        std::vector<std::string> inside;   // made in the leftover, each holding "stale"; a trailing '/' makes a folder
        int (*lockCall)(int, int);
        const char* held;                  // what another descriptor holds a lock on, in the leftover
        bool reclaimed;
    };
    const Case cases[] = {
        {"its copies and its lock file", {"a.txt", "B.TXT", lockFile}, flock, nullptr, true},
        {"its copies, no lock file yet", {"a.txt"}, flock, nullptr, true},
        {"empty", {}, flock, nullptr, true},
        {"its copies and someone's file", {"a.txt", lockFile, "notes.txt"}, flock, nullptr, false},
        {"a copy's name in another case", {"b.txt"}, flock, nullptr, false},
        {"a folder under a copy's name", {"a.txt/"}, flock, nullptr, false},
        {"the mark of an engine without locks", {"a.txt", kNoLockMarkName}, flock, nullptr, false},
        {"its lock held by a running engine", {"a.txt", lockFile}, flock, kFolderLockName, false},
        {"the folder locked by a running engine of an earlier version", {"a.txt"}, flock, ".", false},
        {"a lock that cannot be told", {"a.txt", lockFile}, leftoverLockFails, nullptr, false},
        {"empty, and a lock that cannot be told", {}, leftoverLockFails, nullptr, false},
        {"its copies, and no locks here at all", {"a.txt", lockFile}, noLocks, nullptr, false},
        {"empty, and no locks here at all", {}, noLocks, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directory("ScrTempFd");
        for (const std::string& name : c.inside) {
            if (name.back() == '/') fs::create_directory("ScrTempFd/" + name);
            else std::ofstream("ScrTempFd/" + name) << "stale";
        }
        const int holder = c.held ? ::open(("ScrTempFd/" + std::string(c.held)).c_str(), O_RDONLY) : -1;
        if (c.held) {
            ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
        }
        {
            ResourcePack pack;
            pack.lockCall = c.lockCall;
            testing::internal::CaptureStderr();
            pack.open("data.res");
            const std::string err = testing::internal::GetCapturedStderr();
            EXPECT_EQ(pack.folderName(), c.reclaimed ? "ScrTempFd" : "ScrTempFd0");
            EXPECT_EQ(err.find("running without locks") != std::string::npos, c.lockCall == noLocks) << err;
            pack.extract("a.txt");
            EXPECT_EQ(fileText(pack.tempPath("a.txt")), "abc");
        }
        if (holder >= 0) ::close(holder);
        EXPECT_FALSE(fs::exists("ScrTempFd0"));
        EXPECT_EQ(fs::exists("ScrTempFd"), !c.reclaimed);
        for (const std::string& name : c.inside) {
            if (c.reclaimed || name.back() == '/') continue;
            EXPECT_EQ(fileText("ScrTempFd/" + name), "stale") << name;
        }
        EXPECT_FALSE(fs::exists(kChoosingLockName));
        fs::remove_all("ScrTempFd");
    }
}

// The forced end removes the folder on the quit watch's thread while a loader on the main thread
// may be writing a copy: the removal waits for that copy, and nothing is written after it.
TEST_F(PackFolder, RemovalDuringACopyLeavesNothing)
{
    Entries entries;
    for (int i = 0; i < 2000; ++i) entries.push_back({"f" + std::to_string(i), bytes("x")});
    entries.push_back({"a.txt", bytes("abc")});   // the last record: the first the clean-up deletes
    writePack(buildPack(entries));
    testing::internal::CaptureStderr();
    for (int round = 0; round < 3; ++round) {
        ResourcePack pack;
        pack.open("data.res");
        std::atomic<bool> removed{false};
        std::thread loader([&] {
            while (!removed) pack.extract("a.txt");
            pack.extract("a.txt");
        });
        while (!fs::exists("ScrTempFd/a.txt")) std::this_thread::yield();
        pack.removeTempFiles();
        const bool goneAtOnce = !fs::exists("ScrTempFd");
        removed = true;
        loader.join();
        EXPECT_TRUE(goneAtOnce) << "round " << round;
        EXPECT_FALSE(fs::exists("ScrTempFd")) << "round " << round;
    }
    testing::internal::GetCapturedStderr();
}

// The exit's clean-up repeats the end of the run's; by then another engine may have made a
// folder of the same name, which must stay. The folder is the engine's by its mkdir, so this holds
// on a file system without locks too.
TEST_F(PackFolder, TheSecondCleanUpLeavesAnotherEnginesFolder)
{
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    for (LockCall lockCall : {LockCall(flock), LockCall(noLocks)}) {
        SCOPED_TRACE(lockCall == LockCall(flock) ? "with locks" : "without locks");
        testing::internal::CaptureStderr();
        ResourcePack first;
        first.lockCall = lockCall;
        first.open("data.res");
        first.removeTempFiles();
        EXPECT_FALSE(fs::exists("ScrTempFd"));
        ResourcePack second;
        second.lockCall = lockCall;
        second.open("data.res");
        ASSERT_EQ(second.folderName(), "ScrTempFd");
        first.close();
        EXPECT_TRUE(fs::is_directory("ScrTempFd"));
        ResourcePack third;   // and one that starts beside a live, still empty folder leaves it be
        third.lockCall = lockCall;
        third.open("data.res");
        EXPECT_EQ(third.folderName(), "ScrTempFd0");
        EXPECT_TRUE(fs::is_directory("ScrTempFd"));
        second.close();
        third.close();
        EXPECT_FALSE(fs::exists("ScrTempFd"));
        EXPECT_FALSE(fs::exists("ScrTempFd0"));
        testing::internal::GetCapturedStderr();
    }
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
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "escape.txt"));
    EXPECT_FALSE(fs::exists("escape.txt"));
    pack.removeTempFiles();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);   // only data.res
}

TEST_F(PackFolder, UnwritableFolderIsReportedOnce)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
    writePack(buildPack({{"a.txt", bytes("abc")}}));
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    FatalMessages fatal;
    ResourcePack pack;
    testing::internal::CaptureStderr();
    pack.open("data.res");
    std::string err = testing::internal::GetCapturedStderr();
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(err, "[ERROR] Temporary folder could not be created!\n");
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>{FailurePointer::Shown});
}
