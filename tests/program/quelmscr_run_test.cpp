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
        const TempFolder folder("noengine");
        const std::string empty = folder.str();
        if (present) std::ofstream(empty + "/zero") << "not a program";   // there, but not executable
        ConfigHome config(empty);
        RunningProgram host;
        ASSERT_TRUE(host.start(empty, QUELM_PROGRAM_DIR "/quelmscr", config.env()));
        ASSERT_TRUE(host.waitExit(5));
        EXPECT_NE(host.exitCode, 0);
        EXPECT_NE(host.stderrText().find(empty + "/zero"), std::string::npos) << host.stderrText();
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
    TempFolder folder{"home"};
    std::string path = folder.str();
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
