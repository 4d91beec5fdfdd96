// The settings dialog as a user meets it: quelmscr /c opens the form, clicks and a drag change
// settings, Esc saves them into the files the engine then reads; any mouse button on the
// background moves the form; a program directory the user may not write to is named in a
// message and the dialog still ends. Screenshots go to settings_shots/ in the test folder.
#include "support/program_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>


namespace fs = std::filesystem;

// The toolkit adds the application title to the form's caption.
static const std::string kFormTitle = "Quelm 3D Screensaver Settings \u2014 Quelm 3D Screensaver";
static const std::string kMessageTitle = "Quelm 3D Screensaver";

// Places on the form, in form pixels. The pages start 3 pixels right of and 25 below the page
// control's corner (412, 72), below the tab row.
struct Point {
    int x, y;
};
static constexpr Point kGammaDefaultBox{434, 131};
static constexpr Point kGammaThumbAt133{528, 152};   // (133 - 50) / 150 of the bar's travel
static constexpr Point kGammaBarRightEnd{640, 152};  // past the bar's end
static constexpr Point kShowFpsBox{434, 215};
static constexpr Point kBackground{30, 30};

static std::string fileText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

static void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

static void xdotool(const std::string& arguments) { shell("xdotool " + arguments); }

static std::string at(const WindowInfo& form, Point p)
{
    return std::to_string(form.x + p.x) + " " + std::to_string(form.y + p.y);
}

// Pixels of the frame-rate corner that are near white in 'with' and clearly brighter than in
// 'without'.
static int frameRatePixels(const Picture& with, const Picture& without)
{
    int count = 0;
    for (int y = 5; y < 45; ++y)
        for (int x = 5; x < 125; ++x) {
            auto a = with.at(x, y), b = without.at(x, y);
            if (a[0] >= 225 && a[1] >= 225 && a[2] >= 225 && a[0] + a[1] + a[2] - b[0] - b[1] - b[2] >= 60) ++count;
        }
    return count;
}

class QuelmscrSettings : public ::testing::Test {
protected:
    ProgramDir dir;
    fs::path shots = fs::current_path() / "settings_shots";
    RunningProgram host;

    void SetUp() override { fs::create_directories(shots); }

    std::optional<WindowInfo> openForm(const ConfigHome& config, const std::vector<std::string>& command = {})
    {
        // One draw of the skin's posts and colours: the places the tests click on stay on the form.
        std::map<std::string, std::string> env{{"XDG_CONFIG_HOME", config.path}, {"QUELMSCR_SEED", "1"}};
        std::vector<std::string> run = command.empty() ? std::vector<std::string>{"quelmscr", "/c"} : command;
        bool started = host.start(dir.path, run.front(), env, {run.begin() + 1, run.end()});
        if (!started) return std::nullopt;
        auto form = waitForWindow(kFormTitle, 30);
        // Places on the form hold once it has grown to its full size.
        if (form) form = waitForWindowSize(form->id, 789, 554, 10);
        if (form && !waitForFocus(form->id, 10)) ADD_FAILURE() << "the form did not take the keyboard";
        return form;
    }
};

TEST_F(QuelmscrSettings, ChangesMadeByMouseAreSavedOnEscAndTheEngineShowsThem)
{
    ConfigHome config(dir.path);
    auto form = openForm(config);
    ASSERT_TRUE(form) << host.stderrText();
    EXPECT_EQ(form->width, 789);
    EXPECT_EQ(form->height, 554);
    screenshot((shots / "form.png").string());

    xdotool("mousemove " + at(*form, kGammaDefaultBox) + " click 1");
    xdotool("mousemove " + at(*form, kGammaThumbAt133) + " mousedown 1");
    xdotool("mousemove " + at(*form, {584, 152}) + " mousemove " + at(*form, kGammaBarRightEnd) + " mouseup 1");
    xdotool("mousemove " + at(*form, kShowFpsBox) + " click 1");
    screenshot((shots / "form-changed.png").string());
    xdotool("key Escape");
    ASSERT_TRUE(host.waitExit(15)) << host.stderrText();
    EXPECT_EQ(host.exitCode, 0) << host.stderrText();

    EXPECT_EQ(fileText(dir.path + "/Controls.cfg"),
              "[FullScreen behaviour Control]\nfpsch_on=1\nclock_on=1\nmouse_on=0\nvsync_on=0\nmusic_on=1\n"
              "sound_on=1\nmusic_vo=50\nsound_vo=50\nspeed_vo=1\ngamma_vo=200\ncamjump_vo=25\n");
    std::string state = fileText(dir.path + "/ControlsAdj.cfg");
    EXPECT_NE(state.find("TrackBar_Gamma .Position=200\n"), std::string::npos) << state;
    EXPECT_NE(state.find("CheckBox_Gamma .Checked/UnChecked=0\n"), std::string::npos) << state;

    // The engine started in that program directory reads what the dialog wrote.
    RunningProgram zero;
    // A known view behind the frame rate: white clouds there would hide its white digits.
    std::map<std::string, std::string> engineEnv = knownFlight();
    engineEnv["ZERO_MESSAGES"] = "stderr";
    ASSERT_TRUE(zero.start(dir.path, "zero", engineEnv));
    auto window = waitForWindow("Window", 20);
    ASSERT_TRUE(window) << zero.stderrText();
    ASSERT_TRUE(zero.waitForOutput("zero: running", 60)) << zero.stderrText();
    ASSERT_TRUE(waitForFocus(window->id, 10));
    // Gamma 200: entry i of the ramp is (i / 256)^(1/2) x 65536, as the server keeps it (8 bits
    // a colour, read back widened).
    std::vector<int> ramp = windowRedRamp(window->id);
    ASSERT_EQ(ramp.size(), 256u);
    for (int i : {16, 64, 128, 200}) {
        int expected = static_cast<int>(std::sqrt(i / 256.0) * 65536.0);
        EXPECT_EQ(ramp[i], (expected >> 8) * 257) << "entry " << i;
    }

    // The frame rate shows from the start: F hides it. The camera keeps flying and may flash to
    // a new view between two pictures, so a few tries are allowed.
    pause(3000);   // the loading picture fades out first
    int pixels = 0;
    for (int attempt = 0; attempt < 3 && pixels <= 40; ++attempt) {
        auto with = screenshot((shots / "engine-with-fps.png").string());
        xdotool("key f");
        pause(600);
        auto without = screenshot((shots / "engine-without-fps.png").string());
        xdotool("key f");
        pause(600);
        ASSERT_TRUE(with && without);
        pixels = frameRatePixels(*with, *without);
    }
    EXPECT_GT(pixels, 40) << "no frame rate in the top left corner";
    xdotool("key Escape");
    ASSERT_TRUE(zero.waitExit(15)) << zero.stderrText();
}

class QuelmscrSettingsDrag : public QuelmscrSettings, public ::testing::WithParamInterface<int> {};

TEST_P(QuelmscrSettingsDrag, AnyMouseButtonOnTheBackgroundMovesTheForm)
{
    ConfigHome config(dir.path);
    auto form = openForm(config);
    ASSERT_TRUE(form) << host.stderrText();
    const std::string button = std::to_string(GetParam());
    xdotool("mousemove " + at(*form, kBackground) + " mousedown " + button);
    xdotool("mousemove " + at(*form, {kBackground.x + 60, kBackground.y + 30}) + " mousemove " +
            at(*form, {kBackground.x + 120, kBackground.y + 70}) + " mouseup " + button);
    // The form follows the mouse as the toolkit gets round to the moves: wait for it to settle.
    std::optional<WindowInfo> moved;
    for (int tries = 0; tries < 100; ++tries) {
        moved = waitForWindow(kFormTitle, 5);
        if (!moved || (moved->x - form->x == 120 && moved->y - form->y == 70)) break;
        pause(20);
    }
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->x - form->x, 120);
    EXPECT_EQ(moved->y - form->y, 70);
    xdotool("key Escape");
    ASSERT_TRUE(host.waitExit(15)) << host.stderrText();
}

INSTANTIATE_TEST_SUITE_P(LeftAndRight, QuelmscrSettingsDrag, ::testing::Values(1, 3));

TEST_F(QuelmscrSettings, AProgramDirectoryTheUserMayNotWriteIsNamedAndTheDialogStillEnds)
{
    // As root the dialog runs as the unprivileged user "nobody"; otherwise the folder is made
    // read-only for its owner.
    ConfigHome config(dir.path);
    std::vector<std::string> command;
    const TempFolder runtime_folder("runtime");
    const std::string runtime = runtime_folder.str();
    chmod(runtime.c_str(), 0700);
    if (geteuid() == 0) {
        chmod(dir.path.c_str(), 0755);
        ASSERT_EQ(chown(runtime.c_str(), 65534, 65534), 0);
        command = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--",
                   "/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime, "HOME=" + runtime, dir.path + "/quelmscr", "/c"};
    } else {
        chmod(dir.path.c_str(), 0555);
        command = {"/usr/bin/env", "XDG_RUNTIME_DIR=" + runtime, dir.path + "/quelmscr", "/c"};
    }
    auto form = openForm(config, command);
    ASSERT_TRUE(form) << host.stderrText();
    xdotool("key Escape");

    const std::string message = "Unable to write to " + dir.path + "/Controls.cfg";
    ASSERT_TRUE(host.waitForOutput(message, 10)) << host.stderrText();
    auto box = waitForWindow(kMessageTitle, 10);
    ASSERT_TRUE(box) << host.stderrText();
    screenshot((shots / "unwritable.png").string());
    EXPECT_FALSE(host.waitExit(0.5)) << "the message waits for the user";
    ASSERT_TRUE(waitForFocus(box->id, 10));
    xdotool("key Return");
    ASSERT_TRUE(host.waitExit(10)) << host.stderrText();
    EXPECT_EQ(host.exitCode, 0);
    chmod(dir.path.c_str(), 0755);
    for (const std::string& name : dir.entries()) EXPECT_EQ(name.find(".Controls"), std::string::npos) << name;
    EXPECT_FALSE(fs::exists(dir.path + "/Controls.cfg"));
}
