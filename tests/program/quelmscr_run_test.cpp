// The host in run mode with the real engine: it starts zero, watches the foreground window and
// ends when that changes; mode "a" ends at once; a missing engine is reported; the per-user install.
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

static constexpr const char* kEngineTitle = "Window";
static constexpr const char* kWatchLine = "quelmscr: watching the foreground window";

// A private config home whose Path file names the program directory.
struct ConfigHome {
    std::string path;
    explicit ConfigHome(const std::string& programDir)
    {
        char pattern[] = "/tmp/quelm-config-XXXXXX";
        path = mkdtemp(pattern);
        fs::create_directories(path + "/Velmora");
        std::ofstream(path + "/Velmora/Quelm 3D.ini") << "[General]\nPath=" << programDir << "\n";
    }
    ~ConfigHome() { fs::remove_all(path); }
    std::map<std::string, std::string> env() const { return {{"XDG_CONFIG_HOME", path}, {"ZERO_MESSAGES", "stderr"}}; }
};

// Ends whatever engine owns that window (it was started detached, so it is not our child).
static void endEngineOf(const std::string& windowId)
{
    std::string pid = shell("xdotool getwindowpid " + windowId + " 2>/dev/null");
    if (pid.empty()) return;
    kill(std::stoi(pid), SIGTERM);
    for (int i = 0; i < 200 && kill(std::stoi(pid), 0) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

static double secondsSince(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

class QuelmscrRun : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(QuelmscrRun, StartsTheEngineAndEndsSoonAfterEscapeEndsIt)
{
    ProgramDir dir;
    ConfigHome config(dir.path);
    RunningProgram host;
    ASSERT_TRUE(host.start(dir.path, "quelmscr", config.env(), GetParam()));
    ASSERT_TRUE(host.waitForOutput(kWatchLine, 60)) << host.stderrText();
    auto window = waitForWindow(kEngineTitle, 10);
    ASSERT_TRUE(window);
    ASSERT_TRUE(waitForFocus(window->id, 10));
    EXPECT_FALSE(host.waitExit(0.5)) << "the host must keep running beside the engine";

    shell("xdotool key --window " + window->id + " Escape");
    ASSERT_TRUE(host.waitForOutput("shutdown complete", 20)) << host.stderrText();
    const auto engineEnded = std::chrono::steady_clock::now();
    ASSERT_TRUE(host.waitExit(5));
    EXPECT_LT(secondsSince(engineEnded), 2.5);
    EXPECT_EQ(host.exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(NoArgumentsAndSlashS, QuelmscrRun,
                         ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"/s"}));

TEST(QuelmscrWatch, AnotherWindowTakingTheFocusEndsTheHostAndLeavesTheEngine)
{
    ProgramDir dir;
    ConfigHome config(dir.path);
    RunningProgram host, other;
    ASSERT_TRUE(host.start(dir.path, "quelmscr", config.env()));
    ASSERT_TRUE(host.waitForOutput(kWatchLine, 60)) << host.stderrText();
    auto engine = waitForWindow(kEngineTitle, 10);
    ASSERT_TRUE(engine);

    ASSERT_TRUE(other.start("/", "/usr/bin/xev", {}, {"-geometry", "120x90", "-name", "QuelmOther"}));
    auto otherWindow = waitForWindow("QuelmOther", 10);
    ASSERT_TRUE(otherWindow);
    shell("xdotool windowfocus --sync " + otherWindow->id);
    EXPECT_TRUE(host.waitExit(5));
    EXPECT_EQ(host.exitCode, 0);
    EXPECT_TRUE(waitForWindow(kEngineTitle, 1)) << "the engine keeps running until it ends by itself";
    endEngineOf(engine->id);
}

TEST(QuelmscrPassword, EndsAtOnceWithoutAWindow)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"/a", "1234"}, std::vector<std::string>{"/a"}}) {
        ProgramDir dir;
        ConfigHome config(dir.path);
        RunningProgram host;
        const int before = countWindows(kEngineTitle);
        ASSERT_TRUE(host.start(dir.path, "quelmscr", config.env(), args));
        ASSERT_TRUE(host.waitExit(2));
        EXPECT_EQ(host.exitCode, 0);
        EXPECT_EQ(host.stderrText(), "");
        EXPECT_EQ(countWindows(kEngineTitle), before);
    }
}

TEST(QuelmscrEngineMissing, SaysSoAndFails)
{
    for (bool present : {false, true}) {
        char pattern[] = "/tmp/quelm-noengine-XXXXXX";
        const std::string empty = mkdtemp(pattern);
        if (present) std::ofstream(empty + "/zero") << "not a program";   // there, but not executable
        ConfigHome config(empty);
        RunningProgram host;
        ASSERT_TRUE(host.start(empty, QUELM_PROGRAM_DIR "/quelmscr", config.env()));
        ASSERT_TRUE(host.waitExit(5));
        EXPECT_NE(host.exitCode, 0);
        EXPECT_NE(host.stderrText().find(empty + "/zero"), std::string::npos) << host.stderrText();
        fs::remove_all(empty);
    }
}

// A hack whose program directory it may not write (a home fallen back to the shared folder) must
// not start an engine that cannot make its temporary folder: under a daemon nobody would see why.
TEST(QuelmscrEngineMissing, AProgramDirectoryThatCannotBeWrittenStartsNoEngine)
{
    if (geteuid() != 0) GTEST_SKIP() << "needs root to run as the user nobody";
    ConfigHome config(QUELM_PROGRAM_DIR);   // the build's folder: root's, not nobody's
    ASSERT_EQ(chown(config.path.c_str(), 65534, 65534), 0);
    std::map<std::string, std::string> env = config.env();
    env["HOME"] = config.path;
    env["XSCREENSAVER_WINDOW"] = "0x200001";
    RunningProgram host;
    ASSERT_TRUE(host.start(config.path, "/usr/bin/setpriv", env,
                           {"--reuid=65534", "--regid=65534", "--clear-groups", "--", QUELM_PROGRAM_DIR "/quelmscr",
                            "--root"}));
    ASSERT_TRUE(host.waitExit(5));
    EXPECT_EQ(host.exitCode, 1);
    EXPECT_NE(host.stderrText().find("cannot be written"), std::string::npos) << host.stderrText();
    EXPECT_EQ(host.stderrText().find("zero:"), std::string::npos) << host.stderrText();
}

// scripts/install.sh against an empty home: layout, Path file, the link, and a clean uninstall.
struct EmptyHome {
    std::string path;
    EmptyHome()
    {
        char pattern[] = "/tmp/quelm-home-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~EmptyHome() { fs::remove_all(path); }
    std::string run(const std::string& args, int* status) const
    {
        return shell("env -u XDG_CONFIG_HOME HOME='" + path + "' bash " QUELM_SOURCE_DIR "/scripts/install.sh " + args +
                         " 2>&1",
                     status);
    }
    std::vector<std::string> everything() const
    {
        std::vector<std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(path)) all.push_back(e.path().string().substr(path.size()));
        std::sort(all.begin(), all.end());
        return all;
    }
};

TEST(QuelmscrInstall, DefaultFolderLayoutAndUninstallLeavesNothing)
{
    EmptyHome home;
    int status = -1;
    std::string out = home.run("--no-build", &status);
    ASSERT_EQ(status, 0) << out;
    const std::string program = home.path + "/.local/share/quelm3d";
    for (const char* f : {"/zero", "/quelmscr", "/data.res", "/Info/help.html"})
        EXPECT_TRUE(fs::is_regular_file(program + f)) << f;
    EXPECT_EQ(fs::read_symlink(home.path + "/.local/bin/quelmscr"), program + "/quelmscr");
    std::ifstream ini(home.path + "/.config/Velmora/Quelm 3D.ini");
    std::string text((std::istreambuf_iterator<char>(ini)), {});
    EXPECT_EQ(text, "[General]\nPath=" + program + "\n");
    EXPECT_EQ(fs::status(program).permissions() & fs::perms::owner_write, fs::perms::owner_write);

    std::ofstream(program + "/Controls.cfg") << "[FullScreen behaviour Control]\n";   // as the dialog writes
    out = home.run("--uninstall", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(home.everything(), std::vector<std::string>{});
}

TEST(QuelmscrInstall, LinkStartedElsewhereFindsAFolderWithBlanks)
{
    EmptyHome home;
    int status = -1;
    const std::string program = home.path + "/my programs/quelm 3d";
    std::string out = home.run("--no-build '" + program + "'", &status);
    ASSERT_EQ(status, 0) << out;

    RunningProgram host;
    ASSERT_TRUE(host.start("/", home.path + "/.local/bin/quelmscr", {{"HOME", home.path}, {"XDG_CONFIG_HOME", home.path + "/.config"}, {"ZERO_MESSAGES", "stderr"}}));
    ASSERT_TRUE(host.waitForOutput(kWatchLine, 60)) << host.stderrText();
    auto window = waitForWindow(kEngineTitle, 10);
    ASSERT_TRUE(window);
    std::string enginePid = shell("xdotool getwindowpid " + window->id);
    EXPECT_EQ(fs::read_symlink("/proc/" + enginePid.substr(0, enginePid.find('\n')) + "/cwd"), program);
    endEngineOf(window->id);
    EXPECT_TRUE(host.waitExit(5));

    out = home.run("--uninstall", &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(home.everything(), std::vector<std::string>{});
}

// The user's own XScreenSaver file keeps every other line and program, and uninstall gives it back
// byte for byte; a missing file becomes the daemon's list plus ours, and goes again.
TEST(QuelmscrInstall, XScreenSaverListGainsTheHackAndLosesItAgain)
{
    const std::string hackLine = "\"Quelm 3D\"";
    const std::vector<std::string> files = {
        "",   // no file at all
        "# mine\ntimeout:\t0:05:00\nprograms:\t\t\\\n\t\tmaze --root\t\\n\\\n-\t\tqix --root\t\\n\n\nmode:\tone\n",
        "programs:\tmaze --root\nlock:\tFalse\n",
        "timeout:\t0:05:00\n",   // no list of its own
    };
    for (const std::string& original : files) {
        EmptyHome home;
        const std::string path = home.path + "/.xscreensaver";
        if (!original.empty()) std::ofstream(path) << original;
        int status = -1;
        std::string out = home.run("--no-build", &status);
        ASSERT_EQ(status, 0) << out;
        std::ifstream in(path);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        size_t at = text.find(hackLine);
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.find(hackLine, at + 1), std::string::npos) << "listed once";
        EXPECT_NE(text.find(home.path + "/.local/bin/quelm3d --root"), std::string::npos);
        // Every line of the user's file is still there, in its order.
        std::istringstream lines(original);
        size_t from = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with("programs:\t") && !line.ends_with("\\")) line = line.substr(10);   // list on one line
            const size_t found = text.find(line, from);
            ASSERT_NE(found, std::string::npos) << "lost: " << line << "\n" << text;
            from = found + line.size();
        }
        if (original.empty() || original.find("programs:") == std::string::npos) {
            EXPECT_NE(text.find("superquadrics --root"), std::string::npos) << "the daemon's own list";
        }

        out = home.run("--uninstall", &status);
        ASSERT_EQ(status, 0) << out;
        if (original.empty()) {
            EXPECT_FALSE(fs::exists(path));
        } else {
            std::ifstream again(path);
            EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), original);
        }
    }
}

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
