// The host on a Wayland session without an X server: its run mode starts the native engine and
// watches its process, and the settings dialog is a native Wayland window.
#include "zero_wayland_fixture.h"

// The screensaver's run mode on a Wayland session: quelmscr /s starts the native engine and, since
// it cannot see another client's surface, watches its process. With the mouse setting off the
// pointer may go anywhere; the keys act as on X11 (a letter the engine has no use for changes
// nothing, an arrow jumps, S switches the sound) and space ends the engine and then the host.
TEST_F(ZeroWayland, TheHostRunsTheNativeEngineWhoseKeysActAsOnX11)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    writeSettings("mouse_on=0\r\ncamjump_vo=0\r\n");
    const ConfigHome configFolder = configHome();
    const std::string& config = configFolder.path;
    std::map<std::string, std::string> env = sway.clientEnv();
    env["XDG_CONFIG_HOME"] = config;
    env["ZERO_MESSAGES"] = "stderr";
    env["SDL_AUDIODRIVER"] = "dummy";
    RunningProgram host;
    ASSERT_TRUE(host.start(dir.path, "/usr/bin/env", env, {"-u", "DISPLAY", "./quelmscr", "/s"}));
    ASSERT_TRUE(host.waitForOutput("quelmscr: watching the engine's process", 60.0)) << host.stderrText();
    ASSERT_TRUE(host.waitForOutput(kFadedLine, 120.0)) << host.stderrText();
    EXPECT_NE(host.stderrText().find(kLayerLine), std::string::npos) << host.stderrText();

    ASSERT_TRUE(sway.movePointer(900, 600));
    ASSERT_TRUE(sway.type("a"));
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    ASSERT_FALSE(host.waitExit(0.0)) << "the pointer or a key the engine has no use for ended the run\n"
                                     << host.stderrText();
    ASSERT_TRUE(sway.type("-k Right"));
    ASSERT_TRUE(host.waitForOutput("zero: camera jump to segment", 30.0)) << host.stderrText();
    ASSERT_TRUE(sway.type("s"));
    ASSERT_TRUE(host.waitForOutput("zero: sound off, music off", 30.0)) << host.stderrText();
    ASSERT_TRUE(sway.type("-k space"));
    ASSERT_TRUE(host.waitExit(15.0)) << "space did not end the engine and the host\n" << host.stderrText();
    const std::string log = host.stderrText();
    EXPECT_EQ(host.exitCode, 0) << log;
    EXPECT_NE(log.find("zero: shutdown complete"), std::string::npos) << log;
    EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory (its temporary folder?)";
}

// The settings dialog on a Wayland session without an X server: a native Wayland window (Qt's
// Wayland platform) that sway lists and shows, and that a close from the compositor ends.
TEST_F(ZeroWayland, TheSettingsDialogIsANativeWaylandWindow)
{
    SwaySession sway;
    ASSERT_TRUE(sway.start({1280, 720, 1})) << sway.error();
    const ConfigHome configFolder = configHome();
    const std::string& config = configFolder.path;
    std::map<std::string, std::string> env = sway.clientEnv();
    env["XDG_CONFIG_HOME"] = config;
    RunningProgram dialog;
    ASSERT_TRUE(dialog.start(dir.path, "/usr/bin/env", env,
                             {"-u", "DISPLAY", "-u", "QT_QPA_PLATFORM", "./quelmscr", "/c"}));
    bool listed = false;
    for (int i = 0; i < 600 && !listed && !dialog.waitExit(0.0); ++i) {
        listed = sway.msg("-t get_tree").find("\"app_id\": \"quelmscr\"") != std::string::npos;
        if (!listed) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(listed) << "no Wayland window of quelmscr\n" << dialog.stderrText() << sway.log();
    // Its frame pictures on the screen: far from all of the output is sway's empty grey.
    std::optional<Picture> shot;
    int covered = 0;
    for (int tries = 0; tries < 50 && covered < 100000; ++tries) {
        shot = sway.screenshot("HEADLESS-1", shotPath("dialog"));
        ASSERT_TRUE(shot);
        covered = 0;
        for (int y = 0; y < shot->height; ++y)
            for (int x = 0; x < shot->width; ++x) {
                covered += !isDesktopGrey(shot->at(x, y));
            }
        if (covered < 100000) std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    EXPECT_GT(covered, 100000) << "the dialog is not on the screen: " << shotPath("dialog");
    sway.msg("'[app_id=\"quelmscr\"]' kill");
    ASSERT_TRUE(dialog.waitExit(20.0)) << "the compositor's close did not end the dialog\n" << dialog.stderrText();
    EXPECT_EQ(dialog.exitCode, 0) << dialog.stderrText();
    EXPECT_FALSE(fs::exists(QUELM_PROGRAM_DIR "/Controls.cfg")) << "the dialog wrote into the build's program directory";
    fs::remove(shotPath("dialog"));
}
