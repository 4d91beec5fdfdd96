// What the engine draws over its scene, as a user sees it on the screen: the clock and the frame
// rate switched with T and F, the help picture with F1, the pale flash and the camera's jump on an
// arrow key; and the sound flags that S flips. The camera is held still (speed 0) and the checks
// compare screenshots before and after a key, so they hold whatever the scene shows behind.
// Screenshots go to overlay_shots/ in the test folder.
#include "support/program_runner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
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

using Colour = std::array<int, 3>;

// The largest difference of the three channels.
template <typename T>
static T distance(const std::array<T, 3>& a, const std::array<T, 3>& b)
{
    return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

struct Ink {
    int pixels = 0;
    Region box{1 << 30, 1 << 30, -1, -1};
};
// Text pixels: near white in 'with' and clearly brighter there than in 'without'.
static Ink textBetween(const Picture& with, const Picture& without, const Region& r)
{
    Ink ink;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            Colour a = with.at(x, y), b = without.at(x, y);
            const bool white = a[0] >= 225 && a[1] >= 225 && a[2] >= 225;
            if (white && a[0] + a[1] + a[2] - b[0] - b[1] - b[2] >= 60) {
                ++ink.pixels;
                ink.box = {std::min(ink.box.left, x), std::min(ink.box.top, y), std::max(ink.box.right, x + 1),
                           std::max(ink.box.bottom, y + 1)};
            }
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

// Points spread over the screen, away from the corners where the texts may be.
static std::vector<std::pair<int, int>> spreadPoints()
{
    std::vector<std::pair<int, int>> points;
    for (int y : {250, 540, 830})
        for (int x : {480, 960, 1440}) points.push_back({x, y});
    return points;
}

class ZeroOverlay : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;
    fs::path shots = fs::current_path() / "overlay_shots";

    void start(const std::string& settings, const std::map<std::string, std::string>& moreEnvironment = {})
    {
        // The camera holds still and no timed jump flashes over what the tests look at.
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\ncamjump_vo=0\r\nspeed_vo=0\r\n"
                                                  << settings;
        fs::create_directories(shots);
        // A known view behind the texts, unless the test names its own seed: a bright one (white
        // clouds behind a corner) would hide the white texts from the comparisons.
        std::map<std::string, std::string> env = moreEnvironment;
        if (!env.count("ZERO_SEED")) env.merge(knownFlight());
        env["ZERO_MESSAGES"] = "stderr";
        ASSERT_TRUE(zero.start(dir.path, "zero", env));
        auto window = waitForWindow(kTitle, 20.0);
        ASSERT_TRUE(window) << zero.stderrText();
        ASSERT_TRUE(zero.waitForOutput("zero: running", 60.0)) << zero.stderrText();
        ASSERT_TRUE(waitForFocus(window->id, 10.0));
        // The loading picture fades out over the first 1.75 seconds (longer while the first
        // second's frame rate is still the assumed 61).
        pause(3000);
    }

    Picture shot(const std::string& name)
    {
        auto picture = screenshot((shots / (name + ".png")).string());
        if (!picture || picture->width != kScreenWidth || picture->height != kScreenHeight) {
            ADD_FAILURE() << "no full-screen screenshot " << name;
            Picture empty;
            empty.width = kScreenWidth, empty.height = kScreenHeight;
            empty.rgb.assign(static_cast<size_t>(kScreenWidth) * kScreenHeight * 3, 0);
            return empty;
        }
        return *picture;
    }

    // A screenshot once the screen has stopped changing but for the sea: on a busy machine the
    // loading picture may still be fading when start returns (its first second counts 61 frames).
    Picture stillShot(const std::string& name)
    {
        Picture last = shot(name);
        for (int i = 0; i < 12; ++i) {
            pause(400);
            Picture now = shot(name);
            int moving = 0;
            for (auto [x, y] : spreadPoints()) moving += distance(now.at(x, y), last.at(x, y)) > 25;
            last = now;
            if (moving <= 3) break;
        }
        return last;
    }

    // A screenshot once it shows what a key was to bring (or after 6 seconds, whatever it shows):
    // on a busy machine the frames after a key may take longer than the usual wait to arrive.
    template <typename Shows>
    Picture shotShowing(const std::string& name, Shows shows)
    {
        Picture picture = shot(name);
        for (int i = 0; i < 20 && !shows(picture); ++i) {
            pause(300);
            picture = shot(name);
        }
        return picture;
    }

    // A key, then time for the frames after it to reach the screen.
    static void key(const std::string& keys, int settleMilliseconds = 600)
    {
        shell("xdotool key " + keys);
        pause(settleMilliseconds);
    }
    static void pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

    void end()
    {
        shell("xdotool key Escape");
        ASSERT_TRUE(zero.waitExit(15.0)) << zero.stderrText();
        EXPECT_EQ(zero.exitCode, 0) << zero.stderrText();
        EXPECT_NE(zero.stderrText().find("shutdown complete"), std::string::npos) << zero.stderrText();
    }
};

TEST_F(ZeroOverlay, THidesTheClockAndFShowsTheFrameRateInTheirCorners)
{
    start("clock_on=1\r\nfpsch_on=0\r\n");
    if (HasFatalFailure()) return;
    Picture clock = shot("clock");
    key("t");
    Picture none =
        shotShowing("clock-hidden", [&](const Picture& p) { return textBetween(clock, p, kClockCorner).pixels > 300; });
    Ink text = textBetween(clock, none, kClockCorner);
    EXPECT_GT(text.pixels, 300) << "the clock shows by default and T hides it";
    expectInside(text.box, kClockArea, "clock");
    EXPECT_GT(text.box.right - text.box.left, 120) << "eight characters wide";

    key("f");
    Picture rate =
        shotShowing("frame-rate", [&](const Picture& p) { return textBetween(p, none, kFrameRateCorner).pixels > 40; });
    Ink figures = textBetween(rate, none, kFrameRateCorner);
    EXPECT_GT(figures.pixels, 40) << "F shows the frame rate";
    expectInside(figures.box, kFrameRateArea, "frame rate");
    EXPECT_EQ(textBetween(clock, none, kFrameRateCorner).pixels, 0) << "no frame rate by default";
    EXPECT_EQ(textBetween(rate, none, kClockCorner).pixels, 0) << "the clock stays hidden";

    key("shift+t");   // a letter counts with Shift held
    Picture both = shotShowing("clock-and-frame-rate",
                               [&](const Picture& p) { return textBetween(p, none, kClockCorner).pixels > 300; });
    EXPECT_GT(textBetween(both, none, kClockCorner).pixels, 300) << "Shift+T shows the clock again";
    // The local time of the frame: the text moves on from one second to the next.
    pause(1100);
    Picture later = shot("clock-later");
    int changed = 0;
    for (int y = kClockArea.top; y < kClockArea.bottom; ++y)
        for (int x = kClockArea.left; x < kClockArea.right; ++x) changed += distance(both.at(x, y), later.at(x, y)) > 100;
    EXPECT_GT(changed, 20) << "the clock did not move on";

    key("Caps_Lock t Caps_Lock");   // and with Caps Lock on
    Picture capsLock = shotShowing("clock-caps-lock",
                                   [&](const Picture& p) { return textBetween(later, p, kClockCorner).pixels > 300; });
    EXPECT_GT(textBetween(later, capsLock, kClockCorner).pixels, 300) << "T with Caps Lock on hides the clock";
    end();
}

// Mean colour over a region. The sea keeps moving while the camera holds still (the bobbing and
// the distortion of its reflection), so single pixels of two screenshots may differ widely; means
// over strips of a few thousand pixels barely move.
static std::array<double, 3> meanOver(const Picture& p, const Region& r)
{
    std::array<double, 3> sum{};
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            Colour c = p.at(x, y);
            for (int k = 0; k < 3; ++k) sum[k] += c[k];
        }
    const double n = static_cast<double>(r.right - r.left) * (r.bottom - r.top);
    for (double& v : sum) v /= n;
    return sum;
}

TEST_F(ZeroOverlay, F1ShowsTheHelpPictureAfterItsFadeAndHidesItAgain)
{
    start("clock_on=0\r\n");
    if (HasFatalFailure()) return;
    Picture before = stillShot("before-help");
    key("F1", 2800);
    Picture help = shot("help");
    // The picture spans 0.55 of the screen about its centre, 1056 x 594 pixels, at alpha 0.7: just
    // inside its edges (its dark ground, about (13, 33, 69) at the top and (5, 18, 41) at the bottom)
    // the scene shows through at 0.3; just outside them the scene is untouched.
    const int left = 960 - 528, right = 960 + 528, top = 540 - 297, bottom = 540 + 297;
    // The ground darkens evenly from top to bottom, so a strip's mean ground is the ground of its
    // middle row.
    auto helpOver = [&](const Picture& scene, const Region& r) {
        const double down = ((r.top + r.bottom - 1) / 2.0 - top) / (bottom - top);
        const std::array<double, 3> ground{13 - 8 * down, 33 - 15 * down, 69 - 28 * down};
        std::array<double, 3> mean = meanOver(scene, r);
        for (int k = 0; k < 3; ++k) mean[k] = 0.3 * mean[k] + 0.7 * ground[k];
        return mean;
    };
    // Strips 6 pixels wide along each edge, 3 to 8 pixels inside it and outside it, clear of the
    // picture's corners.
    const Region inside[] = {{left + 3, 300, left + 9, 780}, {right - 9, 300, right - 3, 780},
                             {500, top + 3, 1420, top + 9}, {500, bottom - 9, 1420, bottom - 3}};
    const Region outside[] = {{left - 9, 300, left - 3, 780}, {right + 3, 300, right + 9, 780},
                              {500, top - 9, 1420, top - 3}, {500, bottom + 3, 1420, bottom + 9}};
    for (const Region& r : inside)
        EXPECT_LE(distance(meanOver(help, r), helpOver(before, r)), 12)
            << "not the help picture at 0.7 inside its edge at " << r.left << "," << r.top;
    for (const Region& r : outside)
        EXPECT_LE(distance(meanOver(help, r), meanOver(before, r)), 12)
            << "help picture too large at " << r.left << "," << r.top;

    key("F1", 2200);
    Picture gone = shot("help-gone");
    const Region centre{760, 440, 1160, 640};
    for (const Region& r : {inside[0], inside[2], centre})
        EXPECT_LE(distance(meanOver(gone, r), meanOver(before, r)), 12)
            << "the help picture stayed at " << r.left << "," << r.top;
    end();
}

TEST_F(ZeroOverlay, AnArrowKeyBringsThePaleFlashAndAJumpAlongThePath)
{
    // A fixed seed makes the jump a far one (segment 71 to 3 on the built path): a jump to a
    // neighbouring segment could leave too little of the still view changed to see.
    start("clock_on=0\r\n", {{"ZERO_SEED", "10"}});
    if (HasFatalFailure()) return;
    EXPECT_EQ(zero.stderrText().find("camera jump"), std::string::npos) << "a jump nobody asked for";
    Picture before = shot("before-flash");
    shell("xdotool key Up");
    // The camera jumps when the flash reaches full strength, a second after the key (the flash
    // itself is checked frame-exactly in capture mode below: screenshots are too slow beside a
    // software-rendered scene to catch it reliably).
    ASSERT_TRUE(zero.waitForOutput("zero: camera jump to segment ", 15.0)) << zero.stderrText();
    // Then the flash fades out over about a second. While it fades every point of the screen
    // changes between two screenshots; once it has gone, with the camera still, only the water's
    // motion does.
    bool settled = false;
    Picture last = shot("after-flash");
    for (int i = 0; i < 12 && !settled; ++i) {
        pause(400);
        Picture now = shot("after-flash");
        int moving = 0;
        for (auto [x, y] : spreadPoints()) moving += distance(now.at(x, y), last.at(x, y)) > 25;
        settled = moving <= 3;
        last = now;
    }
    EXPECT_TRUE(settled) << "the flash did not fade out";
    // A new stretch of the path: the view has changed, unless the jump drew the same segment or
    // there is no scene yet to see (the sky's clear colour everywhere).
    bool scene = false;
    for (auto [x, y] : spreadPoints()) scene = scene || distance(before.at(x, y), {51, 102, 178}) > 10;
    auto segment = [&](const char* label) {
        std::string err = zero.stderrText();
        size_t at = err.find(label);
        return at == std::string::npos ? -1 : std::atoi(err.c_str() + at + std::strlen(label));
    };
    const int from = segment("camera starts at segment "), to = segment("camera jump to segment ");
    ASSERT_GE(from, 0);
    if (scene && to != from) {
        int changed = 0;
        for (auto [x, y] : spreadPoints()) changed += distance(last.at(x, y), before.at(x, y)) > 25;
        EXPECT_GE(changed, 3) << "the view did not change with the jump from segment " << from << " to " << to;
    }
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

// Capture mode renders chosen frames on a fixed clock of 60 frames a second: with a camera jump
// due every second the flash rises for one second, then stays at full strength over the scene.
TEST(ZeroOverlayCapture, TheFlashReachesFullStrengthAfterOneSecondAndCoversTheScene)
{
    ProgramDir dir;
    std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\ncamjump_vo=1\r\nclock_on=0\r\n";
    fs::path out = fs::path(dir.path + "-capture");
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero",
                           {{"ZERO_MESSAGES", "stderr"}, {"ZERO_CAPTURE_DIR", out.string()},
                            {"ZERO_CAPTURE_FRAMES", "40,70"}, {"ZERO_SEED", "5"}}));
    ASSERT_TRUE(zero.waitExit(120.0)) << "capture run did not end after its last frame";
    EXPECT_EQ(zero.exitCode, 0) << zero.stderrText();
    auto rising = readPng((out / "frame-00040.png").string());
    auto full = readPng((out / "frame-00070.png").string());
    fs::remove_all(out);
    ASSERT_TRUE(rising && full);
    int notYet = 0;
    for (auto [x, y] : spreadPoints()) {
        EXPECT_LE(distance(full->at(x, y), {217, 242, 255}), 1) << "not the full flash at " << x << "," << y;
        notYet += distance(rising->at(x, y), {217, 242, 255}) > 10;
    }
    EXPECT_GT(notYet, 0) << "the flash was at full strength before its second was up";
    // The request renewed on every frame restarts the camera on each of them; the log says it once.
    std::string err = zero.stderrText();
    size_t first = err.find("camera jump to segment");
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("camera jump", first + 1), std::string::npos) << err;
}
