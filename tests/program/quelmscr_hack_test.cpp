// The host as XScreenSaver's hack: the live scene drawn into a window it is given, following its
// size; the daemon's signal passed on; on two monitors only the first one's copy opens the sound.
#include "support/program_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <signal.h>
#include <thread>

namespace fs = std::filesystem;

static constexpr const char* kEngineTitle = "Window";   // the engine's own window, had it made one

// The engine the host started as its child.
static pid_t engineChild(pid_t host)
{
    const std::string out = shell("pgrep -P " + std::to_string(host) + " -x zero");
    return out.empty() ? -1 : std::stoi(out);
}

static bool gone(pid_t pid)
{
    return pid > 0 && kill(pid, 0) != 0;
}

// As XScreenSaver's settings pane runs it: quelmscr --root --window-id ID with the engine drawing
// the live scene into that window, following its size, and both ending with it or on SIGTERM.
static bool sceneIn(const WindowInfo& w, const std::string& file)
{
    shell("import -window root -crop " + std::to_string(w.width) + "x" + std::to_string(w.height) + "+" +
          std::to_string(w.x) + "+" + std::to_string(w.y) + " " + file);
    auto picture = readPng(file);
    if (!picture || picture->width != w.width) return false;
    // The sky at the top, and not the host window's white anywhere along the middle row.
    auto sky = picture->at(w.width / 2, 5);
    if (!(sky[2] > sky[0] + 40)) return false;
    for (int x = 0; x < w.width; x += 7)
        if (picture->at(x, w.height / 2) == std::array<int, 3>{255, 255, 255}) return false;
    return true;
}

// The loading picture fades out first: wait until the scene itself shows.
static bool waitForScene(const WindowInfo& w, const std::string& file, double seconds = 15)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        if (sceneIn(w, file)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

TEST(QuelmscrHack, DrawsTheLiveSceneIntoAGivenWindowAndFollowsItsSize)
{
    ProgramDir dir;
    ConfigHome config(dir.path);
    // No timed camera jump: its pale flash would hide the scene from the checks.
    std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\ncamjump_vo=0\n";
    RunningProgram host, parent;
    ASSERT_TRUE(parent.start("/", "/usr/bin/xev", {}, {"-geometry", "400x300", "-name", "QuelmPane"}));
    auto pane = waitForWindow("QuelmPane", 10);
    ASSERT_TRUE(pane);
    // The engine inherits a known stretch of the flight, with sky at the top of the pane.
    std::map<std::string, std::string> env = config.env();
    env.merge(knownFlight());
    ASSERT_TRUE(host.start(dir.path, "quelmscr", env, {"--root", "--window-id", pane->id}));
    ASSERT_TRUE(host.waitForOutput("zero: running", 60)) << host.stderrText();
    EXPECT_NE(host.stderrText().find("zero: running silent: a settings app's preview pane"), std::string::npos)
        << host.stderrText();
    const pid_t engine = engineChild(host.pid);
    auto child = waitForWindow(kEngineTitle, 10);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->width, 400);
    EXPECT_EQ(child->height, 300);
    EXPECT_EQ(countWindows(kEngineTitle), 1) << "no window of its own beside the pane";
    ASSERT_TRUE(waitForScene(*child, "/tmp/quelm-pane-1.png"));
    // The camera flies: a picture a second later differs.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_TRUE(waitForScene(*child, "/tmp/quelm-pane-2.png"));
    EXPECT_NE(readPng("/tmp/quelm-pane-1.png")->rgb, readPng("/tmp/quelm-pane-2.png")->rgb);

    shell("xdotool windowsize " + pane->id + " 640 480");
    ASSERT_TRUE(host.waitForOutput("the view is now 640 x 480", 20)) << host.stderrText();
    child = waitForWindow(kEngineTitle, 10);
    ASSERT_TRUE(child);
    EXPECT_EQ(child->width, 640);
    EXPECT_TRUE(waitForScene(*child, "/tmp/quelm-pane-3.png"));

    parent.signal(SIGTERM);   // the pane goes, and the engine's window with it
    ASSERT_TRUE(host.waitExit(15)) << host.stderrText();
    EXPECT_EQ(host.exitCode, 0);
    EXPECT_NE(host.stderrText().find("the screensaver window is gone"), std::string::npos);
    EXPECT_TRUE(gone(engine));
    for (const char* picture : {"/tmp/quelm-pane-1.png", "/tmp/quelm-pane-2.png", "/tmp/quelm-pane-3.png"})
        std::remove(picture);
    for (const std::string& name : dir.entries()) EXPECT_EQ(name.find("ScrTempFd"), std::string::npos) << name;
}

TEST(QuelmscrHack, PassesTheDaemonsSignalOnAndEndsWithTheEngine)
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ProgramDir dir;
        ConfigHome config(dir.path);
        RunningProgram host, parent;
        ASSERT_TRUE(parent.start("/", "/usr/bin/xev", {}, {"-geometry", "320x240", "-name", "QuelmDaemonWindow"}));
        auto window = waitForWindow("QuelmDaemonWindow", 10);
        ASSERT_TRUE(window);
        auto env = config.env();
        env["XSCREENSAVER_WINDOW"] = window->id;
        ASSERT_TRUE(host.start(dir.path, "quelmscr", env, {"--root"}));
        ASSERT_TRUE(host.waitForOutput("zero: running", 60)) << host.stderrText();
        const pid_t engine = engineChild(host.pid);
        host.signal(sig);
        ASSERT_TRUE(host.waitExit(10)) << sig;
        EXPECT_NE(host.stderrText().find("shutdown complete"), std::string::npos) << host.stderrText();
        EXPECT_EQ(host.exitCode, 0) << sig;
        EXPECT_TRUE(gone(engine));
        for (const std::string& name : dir.entries()) EXPECT_EQ(name.find("ScrTempFd"), std::string::npos) << name;
        EXPECT_EQ(host.stderrText().find("gamma"), std::string::npos) << "the ramp is the daemon's";
    }
}

// A daemon runs one copy of the hack per monitor, each in a window of its own, at the same moment
// and in the same program directory. The copy on the first monitor alone opens the sound device;
// the other opens none and says why. Both draw, each in a folder of its own, and the daemon's
// options reach both engines.
TEST(QuelmscrHack, OnTwoMonitorsOnlyTheFirstMonitorsCopyOpensTheSoundDevice)
{
    PrivateXServer server;   // monitors of its own: the shared display keeps its one
    ASSERT_TRUE(server.start()) << "no private Xvfb";
    const std::string sharedDisplay = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("DISPLAY", server.display.c_str(), 1);
    struct RestoreDisplay {
        std::string display;
        ~RestoreDisplay() { setenv("DISPLAY", display.c_str(), 1); }
    } restore{sharedDisplay};
    int status = 0;
    shell("xrandr --setmonitor QuelmLeft 960/254x1080/286+0+0 screen && "
          "xrandr --setmonitor QuelmRight 960/254x1080/286+960+0 none", &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(shell("xrandr --listmonitors | head -1"), "Monitors: 2\n");

    ProgramDir dir;
    ConfigHome config(dir.path);
    const char* sides[] = {"QuelmLeft", "QuelmRight"};
    RunningProgram windows[2], hosts[2];
    std::string mix[2];
    for (int i = 0; i < 2; ++i) {
        const std::string geometry = "960x1080+" + std::to_string(960 * i) + "+0";
        ASSERT_TRUE(windows[i].start("/", "/usr/bin/xev", {}, {"-geometry", geometry, "-name", sides[i]}));
        auto window = waitForWindow(sides[i], 10);
        ASSERT_TRUE(window) << displayReport();
        mix[i] = dir.path + "-" + sides[i] + ".raw";
        auto env = config.env();
        env.merge(knownFlight());
        env.insert({{"XSCREENSAVER_WINDOW", window->id}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", mix[i]}});
        ASSERT_TRUE(hosts[i].start(dir.path, "quelmscr", env, {"--root", "--no-clock", "--music-volume", "20"}));
    }
    for (RunningProgram& host : hosts) ASSERT_TRUE(host.waitForOutput("first frame shown", 90)) << host.stderrText();
    for (RunningProgram& host : hosts) {
        host.signal(SIGTERM);
        ASSERT_TRUE(host.waitExit(15)) << host.stderrText();
        EXPECT_EQ(host.exitCode, 0) << host.stderrText();
        EXPECT_NE(host.stderrText().find("zero: settings for this run: clock_on=0;music_vo=20"), std::string::npos)
            << host.stderrText();
    }
    EXPECT_EQ(hosts[0].stderrText().find("running silent"), std::string::npos) << hosts[0].stderrText();
    EXPECT_NE(hosts[0].stderrText().find("audio stream 2: tr1.ogg"), std::string::npos) << hosts[0].stderrText();
    EXPECT_TRUE(fs::exists(mix[0]));
    EXPECT_NE(hosts[1].stderrText().find("zero: running silent: the copy on the first monitor plays the sound "
                                         "(this one is on monitor 2)"),
              std::string::npos)
        << hosts[1].stderrText();
    EXPECT_FALSE(fs::exists(mix[1])) << "the silent copy opened a device";
    for (const std::string& name : dir.entries()) EXPECT_EQ(name.find("ScrTempFd"), std::string::npos) << name;
    for (const std::string& file : mix) fs::remove(file);
}
