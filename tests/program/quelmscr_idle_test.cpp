// quelmscr --idle on a headless sway of the test's own with two outputs: after the idle time one
// engine per output, exactly one of them with sound; a key ends both within a second; ten cycles
// leave no engine and no folder behind; crashed engines are logged and the next idle starts fresh
// ones; a second watcher for the session is refused. The first cycle's screenshots go to
// idle_shots/ in the test folder.
#include "support/program_runner.h"
#include "support/sway_session.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

namespace fs = std::filesystem;

static size_t countOf(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

// Waits up to two minutes for the watcher's log to hold the line that many times.
static bool waitForCount(const RunningProgram& program, const std::string& line, int times)
{
    for (int i = 0; i < 1200; ++i) {
        if (countOf(program.stderrText(), line) >= static_cast<size_t>(times)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

class QuelmscrIdle : public ::testing::Test {
protected:
    ProgramDir dir;
    ConfigHome configHome{dir.path};
    const std::string config = configHome.path;
    void SetUp() override
    {
        if (!SwaySession::installed()) GTEST_SKIP() << "sway, grim or wtype is not installed";
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\nmouse_on=0\r\ncamjump_vo=0\r\n";
    }
    // fullSocketPath: WAYLAND_DISPLAY names the compositor's socket by its full path.
    bool startWatcher(RunningProgram& watcher, const SwaySession& sway, bool fullSocketPath = false)
    {
        std::map<std::string, std::string> env = sway.clientEnv();
        if (fullSocketPath) env["WAYLAND_DISPLAY"] = env["XDG_RUNTIME_DIR"] + "/" + env["WAYLAND_DISPLAY"];
        env["XDG_CONFIG_HOME"] = config;
        env["ZERO_MESSAGES"] = "stderr";
        env["SDL_AUDIODRIVER"] = "dummy";
        return watcher.start(dir.path, "/usr/bin/env", env,
                             {"-u", "DISPLAY", "./quelmscr", "--idle", "--idle-seconds", "2"});
    }
    // What each output shows: the engine's picture from edge to edge (the desktop's grey along no
    // edge) and full of detail. The flight is wherever the clock has taken it, so nothing is
    // asked of what it shows.
    void expectFlightOnBothOutputs(const SwaySession& sway)
    {
        const fs::path shots = fs::current_path() / "idle_shots";
        fs::create_directories(shots);
        for (const char* output : {"HEADLESS-1", "HEADLESS-2"}) {
            SCOPED_TRACE(output);
            std::optional<Picture> shot = sway.screenshot(output, (shots / (std::string(output) + ".png")).string());
            ASSERT_TRUE(shot);
            EXPECT_LT(greyOnTheEdges(*shot), (shot->width + shot->height) * 2 / 100) << "the desktop shows along an edge";
            std::set<std::array<int, 3>> colours;
            for (int y = 0; y < shot->height; y += 8)
                for (int x = 0; x < shot->width; x += 8) colours.insert(shot->at(x, y));
            EXPECT_GT(colours.size(), 500u) << "hardly a picture";
        }
    }
};

TEST_F(QuelmscrIdle, EnginesOnEveryOutputWhileIdleAndGoneWhenTheUserIsBack)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    ASSERT_TRUE(sway.createOutput({1280, 720, 1})) << sway.error();
    const std::vector<std::string> before = dir.entries();
    RunningProgram watcher;
    ASSERT_TRUE(startWatcher(watcher, sway));
    ASSERT_TRUE(watcher.waitForOutput("quelmscr: idle: watching through ", 30.0)) << watcher.stderrText();

    // A second watcher is refused, also where it names the same socket by its full path.
    RunningProgram second;
    ASSERT_TRUE(startWatcher(second, sway, true));
    ASSERT_TRUE(second.waitExit(30.0)) << second.stderrText();
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.stderrText().find("another idle watcher runs for this session"), std::string::npos)
        << second.stderrText();

    constexpr int kCycles = 10;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        // Both outputs covered, each engine past its loading and drawing the flight.
        bool both = false;
        for (int i = 0; i < 1200 && !both; ++i) {
            both = countOf(watcher.stderrText(), "zero: first frame shown") >= static_cast<size_t>(2 * cycle);
            if (!both) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_TRUE(both) << watcher.stderrText();
        const std::string log = watcher.stderrText();
        EXPECT_EQ(countOf(log, "wayland: a layer surface on HEADLESS-1"), static_cast<size_t>(cycle));
        EXPECT_EQ(countOf(log, "wayland: a layer surface on HEADLESS-2"), static_cast<size_t>(cycle));
        // One sound for the desktop: the first output's copy opens the device and loads the
        // streams, the second's stays silent.
        EXPECT_EQ(countOf(log, "zero: running silent: "), static_cast<size_t>(cycle));
        EXPECT_EQ(countOf(log, "zero: running silent: the copy on HEADLESS-1 plays the sound"),
                  static_cast<size_t>(cycle));
        EXPECT_EQ(countOf(log, "zero: audio stream 0: "), static_cast<size_t>(cycle));
        if (cycle == 1) {
            ASSERT_TRUE(waitForCount(watcher, "zero: loading picture faded out", 2)) << watcher.stderrText();
            expectFlightOnBothOutputs(sway);
        }
        const auto typed = std::chrono::steady_clock::now();
        ASSERT_TRUE(sway.type("a"));
        bool ended = false;
        for (int i = 0; i < 100 && !ended; ++i) {
            ended = countOf(watcher.stderrText(), "quelmscr: idle: the user is back; the engines ended") >=
                    static_cast<size_t>(cycle);
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - typed).count();
        ASSERT_TRUE(ended) << watcher.stderrText();
        EXPECT_LT(took, 1.0) << "the engines took " << took << " s to end";
        EXPECT_EQ(countOf(watcher.stderrText(), "zero: shutdown complete"), static_cast<size_t>(2 * cycle));
    }
    // Engines that crash are logged; the watcher goes on and starts fresh ones at the next idle,
    // which take over the folders the crashed ones left.
    ASSERT_TRUE(waitForCount(watcher, "zero: first frame shown", 2 * (kCycles + 1))) << watcher.stderrText();
    shell("pkill -SEGV -x zero");
    ASSERT_TRUE(waitForCount(watcher, "quelmscr: the engine on HEADLESS-1 crashed", 1)) << watcher.stderrText();
    ASSERT_TRUE(waitForCount(watcher, "quelmscr: the engine on HEADLESS-2 crashed", 1)) << watcher.stderrText();
    ASSERT_TRUE(sway.type("a"));
    ASSERT_TRUE(waitForCount(watcher, "quelmscr: idle: the user is back; the engines ended", kCycles + 1));
    ASSERT_TRUE(waitForCount(watcher, "zero: first frame shown", 2 * (kCycles + 2))) << watcher.stderrText();
    ASSERT_TRUE(sway.type("a"));
    ASSERT_TRUE(waitForCount(watcher, "quelmscr: idle: the user is back; the engines ended", kCycles + 2));

    watcher.signal(SIGTERM);
    ASSERT_TRUE(watcher.waitExit(10.0)) << watcher.stderrText();
    EXPECT_EQ(watcher.exitCode, 0) << watcher.stderrText();
    EXPECT_EQ(dir.entries(), before) << "a cycle left something in the program directory";
    EXPECT_EQ(shell("pgrep -x zero"), "");
}

// A client that inhibits idleness (a video player) keeps the engines from starting; once it has
// gone they start. The desktop's own idle timer (swayidle) fires while Quelm 3D runs: the watcher
// holds no inhibitor of its own.
TEST_F(QuelmscrIdle, AnInhibitorKeepsItFromStartingAndSwayidleStillFires)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    RunningProgram inhibitor;
    ASSERT_TRUE(inhibitor.start(dir.path, QUELM_IDLE_INHIBITOR, sway.clientEnv(), {}));
    ASSERT_TRUE(inhibitor.waitForOutput("idle_inhibitor: inhibiting", 30.0)) << inhibitor.stderrText();
    RunningProgram watcher;
    ASSERT_TRUE(startWatcher(watcher, sway));
    ASSERT_TRUE(watcher.waitForOutput("quelmscr: idle: watching through ", 30.0)) << watcher.stderrText();
    // Ten seconds with the inhibitor, five times the idle time: no engine.
    std::this_thread::sleep_for(std::chrono::seconds(10));
    EXPECT_EQ(watcher.stderrText().find("engine(s) started"), std::string::npos) << watcher.stderrText();

    const std::string fired = dir.path + "-swayidle-fired";
    RunningProgram swayidle;
    ASSERT_TRUE(swayidle.start(dir.path, "/usr/bin/swayidle", sway.clientEnv(),
                               {"-w", "timeout", "4", "touch " + fired}));
    inhibitor.signal(SIGTERM);
    ASSERT_TRUE(inhibitor.waitExit(10.0));
    ASSERT_TRUE(watcher.waitForOutput("zero: loading picture faded out", 120.0)) << watcher.stderrText();
    bool swayidleFired = false;
    for (int i = 0; i < 300 && !swayidleFired; ++i) {
        swayidleFired = fs::exists(fired);
        if (!swayidleFired) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(swayidleFired) << "swayidle's timeout did not fire while the engine ran";
    fs::remove(fired);
    swayidle.signal(SIGTERM);
    swayidle.waitExit(10.0);
    watcher.signal(SIGTERM);
    ASSERT_TRUE(watcher.waitExit(10.0)) << watcher.stderrText();
    EXPECT_NE(watcher.stderrText().find("quelmscr: idle: the watcher ends; the engines ended"), std::string::npos)
        << watcher.stderrText();
}

// Without a compositor to ask (nor GNOME's monitor), one line says so, and the status is 1.
TEST_F(QuelmscrIdle, ASessionWithoutAnIdleSourceSaysSo)
{
    const TempFolder runtimeFolder("runtime");
    const std::string runtime = runtimeFolder.str();
    RunningProgram watcher;
    ASSERT_TRUE(watcher.start(dir.path, "/usr/bin/env",
                              {{"XDG_CONFIG_HOME", config}, {"XDG_RUNTIME_DIR", runtime}, {"WAYLAND_DISPLAY", "wayland-none"}},
                              {"-u", "DISPLAY", "./quelmscr", "--idle"}));
    ASSERT_TRUE(watcher.waitExit(30.0)) << watcher.stderrText();
    EXPECT_EQ(watcher.exitCode, 1);
    EXPECT_NE(watcher.stderrText().find("quelmscr: no Wayland compositor to ask about idleness"), std::string::npos)
        << watcher.stderrText();
    fs::remove_all(runtime);
}
