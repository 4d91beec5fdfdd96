// The engine's temporary folder with real engines: two started at one moment on a file system
// without locks (flock preloaded to fail) never share a folder, the folder of a killed engine is
// taken by the next, and an end asked for while loading ends the run at once and removes it.
#include "support/program_runner.h"

#include "assets/pack.h"

#include <gtest/gtest.h>
#include <chrono>
#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;

class ZeroFolder : public ::testing::Test {
protected:
    ProgramDir dir;
    std::vector<std::string> before = dir.entries();
    RunningProgram panes[2];
    std::string paneIds[2];

    // Windows for the engines to draw into, as a daemon lends them: small, so frames are cheap.
    void SetUp() override
    {
        for (int k = 0; k < 2; ++k) {
            const std::string name = "QuelmFolderPane" + std::to_string(k);
            ASSERT_TRUE(panes[k].start("/", "/usr/bin/xev", {}, {"-geometry", "160x120", "-name", name}));
            auto window = waitForWindow(name, 10.0);
            ASSERT_TRUE(window) << displayReport();
            paneIds[k] = window->id;
        }
    }
    std::map<std::string, std::string> lentTo(int pane, bool withoutLocks = false) const
    {
        std::map<std::string, std::string> env{{"ZERO_MESSAGES", "stderr"}, {"XSCREENSAVER_WINDOW", paneIds[pane]}};
        if (withoutLocks) env["LD_PRELOAD"] = QUELM_NO_FLOCK;
        return env;
    }
    std::vector<std::string> temporaryFolders() const
    {
        std::vector<std::string> folders;
        for (const std::string& name : dir.entries())
            if (name.starts_with("ScrTempFd")) folders.push_back(name);
        return folders;
    }
};

TEST_F(ZeroFolder, EnginesStartedTogetherWithoutLocksNeverShareAFolder)
{
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RunningProgram engines[2];
        for (int k = 0; k < 2; ++k) ASSERT_TRUE(engines[k].start(dir.path, "zero", lentTo(k, true)));
        for (RunningProgram& engine : engines)
            ASSERT_TRUE(engine.waitForOutput("zero: running\n", 60.0)) << engine.stderrText();
        const std::vector<std::string> folders = temporaryFolders();
        EXPECT_EQ(folders.size(), 2u) << "two engines, each with its folder";
        for (const std::string& folder : folders)
            EXPECT_TRUE(fs::exists(dir.path + "/" + folder + "/" + kNoLockMarkName)) << folder;
        for (RunningProgram& engine : engines) engine.signal(SIGTERM);
        for (RunningProgram& engine : engines) {
            ASSERT_TRUE(engine.waitExit(15.0));
            const std::string log = engine.stderrText();
            EXPECT_EQ(engine.exitCode, 0) << log;
            EXPECT_NE(log.find("running without locks"), std::string::npos) << log;
        }
        EXPECT_EQ(dir.entries(), before) << "the engines left something in the program directory";
    }
}

TEST_F(ZeroFolder, AKilledEnginesFolderIsTakenByTheNext)
{
    RunningProgram killed;
    ASSERT_TRUE(killed.start(dir.path, "zero", lentTo(0)));
    ASSERT_TRUE(killed.waitForOutput("zero: running\n", 60.0)) << killed.stderrText();
    killed.signal(SIGKILL);
    ASSERT_TRUE(killed.waitExit(15.0));
    ASSERT_EQ(temporaryFolders(), std::vector<std::string>{"ScrTempFd"});
    ASSERT_FALSE(fs::is_empty(dir.path + "/ScrTempFd"));

    RunningProgram next;
    ASSERT_TRUE(next.start(dir.path, "zero", lentTo(1)));
    ASSERT_TRUE(next.waitForOutput("zero: running\n", 60.0)) << next.stderrText();
    EXPECT_EQ(temporaryFolders(), std::vector<std::string>{"ScrTempFd"});
    next.signal(SIGTERM);
    ASSERT_TRUE(next.waitExit(15.0));
    EXPECT_EQ(next.exitCode, 0) << next.stderrText();
    EXPECT_EQ(dir.entries(), before) << "the killed engine's folder was left";
}

// Under a daemon the end comes whenever the user moves the mouse, loading or not: the start-up
// stops before its next step, and a step that outlasts the grace time is ended by the watch.
TEST_F(ZeroFolder, AnEndAskedForWhileLoadingEndsTheRunAtOnce)
{
    RunningProgram zero;
    auto env = lentTo(0);
    env["ZERO_SETTINGS"] = "gamma_vo=100";   // said in the log right before the models and the rest load
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitForOutput("settings for this run", 60.0)) << zero.stderrText();
    const auto asked = std::chrono::steady_clock::now();
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(15.0));
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    const std::string log = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0) << log;
    EXPECT_EQ(log.find("zero: running"), std::string::npos) << "no loop after the end was asked for\n" << log;
    const bool orderly = log.find("the end was asked for while loading") != std::string::npos &&
                         log.find("shutdown complete") != std::string::npos;
    const bool byTheWatch = log.find("a loading step was still under way") != std::string::npos;
    EXPECT_TRUE(orderly || byTheWatch) << log;
    EXPECT_LT(took, 2.5) << log;
    EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
}
