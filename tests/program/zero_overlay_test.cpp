// What the engine draws over its scene, as a user sees it on the screen: the clock and the frame
// rate switched with T and F, the help picture with F1, the pale flash and the camera's jump on an
// arrow key; and the sound flags that S flips. Screenshots go to overlay_shots/ in the test folder.
#include "support/program_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

static constexpr const char* kTitle = "Window";
static constexpr int kScreenWidth = 1920, kScreenHeight = 1080;

struct Region {
    int left, top, right, bottom;   // pixels, top first, right and bottom excluded
};
// Where the two texts may draw: 40-pixel glyphs, the clock from 192 pixels left of the right edge
// and 5 above the bottom, the frame rate 5 from the left and 45 below the top.
static constexpr Region kClockArea{kScreenWidth - 192, kScreenHeight - 45, kScreenWidth, kScreenHeight - 5};
static constexpr Region kFrameRateArea{5, 5, 5 + 120, 45};
static constexpr Region kClockCorner{kScreenWidth - 400, kScreenHeight - 150, kScreenWidth, kScreenHeight};
static constexpr Region kFrameRateCorner{0, 0, 400, 150};

static bool isSky(const std::array<int, 3>& c, int tolerance)
{
    return std::abs(c[0] - 51) <= tolerance && std::abs(c[1] - 102) <= tolerance && std::abs(c[2] - 178) <= tolerance;
}

struct Ink {
    int pixels = 0;
    Region box{1 << 30, 1 << 30, -1, -1};
};
// The pixels of a region that are not the sky's colour, and the box around them.
static Ink inkIn(const Picture& picture, const Region& r)
{
    Ink ink;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (!isSky(picture.at(x, y), 24)) {
                ++ink.pixels;
                ink.box = {std::min(ink.box.left, x), std::min(ink.box.top, y), std::max(ink.box.right, x + 1),
                           std::max(ink.box.bottom, y + 1)};
            }
    return ink;
}

static void expectInside(const Region& box, const Region& area, const char* what)
{
    EXPECT_GE(box.left, area.left) << what;
    EXPECT_GE(box.top, area.top) << what;
    EXPECT_LE(box.right, area.right) << what;
    EXPECT_LE(box.bottom, area.bottom) << what;
}

static bool sameRegion(const Picture& a, const Picture& b, const Region& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.at(x, y) != b.at(x, y)) return false;
    return true;
}

class ZeroOverlay : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;
    fs::path shots = fs::current_path() / "overlay_shots";

    void start(const std::string& settings)
    {
        // No timed jump: its flash would cover what the tests look at.
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\ncamjump_vo=0\r\n" << settings;
        fs::create_directories(shots);
        ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}}));
        auto window = waitForWindow(kTitle, 20.0);
        ASSERT_TRUE(window) << zero.stderrText();
        ASSERT_TRUE(zero.waitForOutput("zero: running", 60.0)) << zero.stderrText();
        ASSERT_TRUE(waitForFocus(window->id, 10.0));
        // The loading picture fades out over the first 1.75 seconds.
        std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    }

    Picture shot(const std::string& name)
    {
        auto picture = screenshot((shots / (name + ".png")).string());
        EXPECT_TRUE(picture) << name;
        if (!picture || picture->width != kScreenWidth || picture->height != kScreenHeight) {
            ADD_FAILURE() << "no full-screen screenshot";
            Picture empty;
            empty.width = kScreenWidth, empty.height = kScreenHeight;
            empty.rgb.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight * 3, 0);
            return empty;
        }
        return *picture;
    }

    static void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

    void end()
    {
        shell("xdotool key Escape");
        ASSERT_TRUE(zero.waitExit(10.0)) << zero.stderrText();
        EXPECT_EQ(zero.exitCode, 0);
        EXPECT_NE(zero.stderrText().find("shutdown complete"), std::string::npos);
    }
};

TEST_F(ZeroOverlay, THidesTheClockAndFShowsTheFrameRateInTheirCorners)
{
    start("clock_on=1\r\nfpsch_on=0\r\n");
    if (HasFatalFailure()) return;
    Picture first = shot("clock");
    Ink clock = inkIn(first, kClockCorner);
    EXPECT_GT(clock.pixels, 400) << "the clock is shown by default";
    expectInside(clock.box, kClockArea, "clock");
    EXPECT_GT(clock.box.right - clock.box.left, 120) << "eight characters wide";
    EXPECT_EQ(inkIn(first, kFrameRateCorner).pixels, 0) << "no frame rate by default";
    EXPECT_EQ(inkIn(first, {400, 150, 1520, 930}).pixels, 0) << "nothing else over the sky";

    // The local time of the frame: the text changes from one second to the next.
    pause(1100);
    EXPECT_FALSE(sameRegion(first, shot("clock-later"), kClockArea)) << "the clock did not move on";

    shell("xdotool key t");
    pause(400);
    Picture hidden = shot("clock-hidden");
    EXPECT_EQ(inkIn(hidden, kClockCorner).pixels, 0) << "T hides the clock";

    shell("xdotool key f");
    pause(400);
    Picture rate = shot("frame-rate");
    Ink figures = inkIn(rate, kFrameRateCorner);
    EXPECT_GT(figures.pixels, 100) << "F shows the frame rate";
    expectInside(figures.box, kFrameRateArea, "frame rate");
    EXPECT_EQ(inkIn(rate, kClockCorner).pixels, 0);

    shell("xdotool key shift+t");   // a letter key counts with Shift held too
    pause(400);
    Picture both = shot("clock-and-frame-rate");
    EXPECT_GT(inkIn(both, kClockCorner).pixels, 400) << "Shift+T shows the clock again";
    EXPECT_GT(inkIn(both, kFrameRateCorner).pixels, 100);

    shell("xdotool key Caps_Lock t Caps_Lock");   // and with Caps Lock on
    pause(400);
    EXPECT_EQ(inkIn(shot("clock-caps-lock"), kClockCorner).pixels, 0) << "T with Caps Lock on hides the clock";
    end();
}

TEST_F(ZeroOverlay, F1ShowsTheHelpPictureAfterItsFadeAndHidesItAgain)
{
    start("clock_on=0\r\n");
    if (HasFatalFailure()) return;
    shell("xdotool key F1");
    pause(2200);
    Picture help = shot("help");
    // The picture spans 0.55 of the screen about its centre: 1056 x 594 pixels.
    const Region inside{960 - 528 + 8, 540 - 297 + 8, 960 + 528 - 8, 540 + 297 - 8};
    for (auto [x, y] : {std::pair{inside.left, 540}, {inside.right - 1, 540}, {960, inside.top}, {960, inside.bottom - 1}})
        EXPECT_FALSE(isSky(help.at(x, y), 24)) << "no help picture at " << x << "," << y;
    for (auto [x, y] : {std::pair{960 - 528 - 8, 540}, {960 + 528 + 8, 540}, {960, 540 - 297 - 8}, {960, 540 + 297 + 8}})
        EXPECT_TRUE(isSky(help.at(x, y), 3)) << "help picture too large at " << x << "," << y;
    // At 0.7 the scene still shows through: the picture's dark ground is not its own colour.
    auto ground = help.at(960 - 500, 540 - 270);
    EXPECT_GT(ground[2], 60) << "drawn opaque";
    EXPECT_LT(ground[2], 150) << "drawn too faint";

    shell("xdotool key F1");
    pause(1800);
    Picture gone = shot("help-gone");
    EXPECT_TRUE(isSky(gone.at(960, 540), 3)) << "the fade-out leaves at most a trace";
    EXPECT_TRUE(isSky(gone.at(inside.left, 540), 3));
    end();
}

TEST_F(ZeroOverlay, AnArrowKeyBringsThePaleFlashAndAJumpAlongThePath)
{
    start("clock_on=0\r\n");
    if (HasFatalFailure()) return;
    EXPECT_EQ(zero.stderrText().find("camera jump"), std::string::npos) << "a jump nobody asked for";
    shell("xdotool key Up");
    // The flash rises over one second toward (0.85, 0.95, 1.0); catch it well on its way.
    int palest = 0;
    for (int i = 0; i < 6 && palest < 140; ++i) palest = std::max(palest, shot("flash").at(960, 540)[0]);
    EXPECT_GE(palest, 140) << "no pale flash";
    ASSERT_TRUE(zero.waitForOutput("zero: camera jump to segment ", 4.0)) << zero.stderrText();
    // Then it fades out again over about a second.
    bool clear = false;
    for (int i = 0; i < 12 && !clear; ++i) {
        pause(300);
        clear = isSky(shot("after-flash").at(960, 540), 3);
    }
    EXPECT_TRUE(clear) << "the flash did not fade out";
    std::string err = zero.stderrText();
    size_t first = err.find("camera jump");
    EXPECT_EQ(err.find("camera jump", first + 1), std::string::npos) << "one key, one jump\n" << err;
    end();
}

TEST_F(ZeroOverlay, SFlipsTheSoundAndMusicFlagsEachByItself)
{
    start("sound_on=0\r\nmusic_on=1\r\n");
    if (HasFatalFailure()) return;
    shell("xdotool key s");
    EXPECT_TRUE(zero.waitForOutput("zero: sound on, music off", 5.0)) << zero.stderrText();
    shell("xdotool key S");
    EXPECT_TRUE(zero.waitForOutput("zero: sound off, music on", 5.0)) << zero.stderrText();
    end();
}
