// The overlays' arithmetic without a window: which cell a character draws, how text is cut, the
// loading fade, the flash and its camera jump, the help fade under F1, and the clock's text.
#include "overlay/bitmap_font.h"
#include "overlay/clock_text.h"
#include "overlay/fader.h"
#include "overlay/help_screen.h"

#include <gtest/gtest.h>

#include <string>

TEST(GlyphCells, CharactersMapToTheirSetsCells)
{
    EXPECT_EQ(glyphCell('A', 0), 33);   // row 2, column 1
    EXPECT_EQ(33 / kGlyphGrid, 2);
    EXPECT_EQ(33 % kGlyphGrid, 1);
    EXPECT_EQ(glyphCell('A', 1), 161);
    EXPECT_EQ(glyphCell(' ', 0), 0);
    EXPECT_EQ(glyphCell(' ', 1), 128);
    EXPECT_EQ(glyphCell('A', 7), 161) << "a set above 1 counts as 1";
    EXPECT_EQ(glyphCell('A', -3), 33);
    // Set 0 reaches into the bold cells from 160 on, as the grid is laid out.
    EXPECT_EQ(glyphCell(159, 0), 127);
    EXPECT_EQ(glyphCell(255, 0), 223);
    EXPECT_EQ(glyphCell(159, 1), 255);
}

TEST(GlyphCells, CodesWithoutACellAreRefused)
{
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(glyphCell(static_cast<unsigned char>(c), 0), -1) << c;
        EXPECT_EQ(glyphCell(static_cast<unsigned char>(c), 1), -1) << c;
    }
    for (int c = 160; c < 256; ++c) EXPECT_EQ(glyphCell(static_cast<unsigned char>(c), 1), -1) << c;
}

TEST(GlyphCells, CornersFollowTheGridFromTheTop)
{
    CellCorner a = cellCorner(33);
    EXPECT_FLOAT_EQ(a.s, 1.0f / 16.0f);
    EXPECT_FLOAT_EQ(a.t, 1.0f - 3.0f / 16.0f);   // the bottom edge of row 2
    CellCorner last = cellCorner(255);
    EXPECT_FLOAT_EQ(last.s, 15.0f / 16.0f);
    EXPECT_FLOAT_EQ(last.t, 0.0f);
    EXPECT_FLOAT_EQ(cellCorner(0).t, 15.0f / 16.0f);
}

TEST(TextCells, SkipsCharactersWithoutAGlyphAndStopsAt255)
{
    uint8_t cells[kMaxTextLength];
    EXPECT_EQ(textCells("", 0, cells), 0u);
    ASSERT_EQ(textCells("A\tB\n", 0, cells), 2u);
    EXPECT_EQ(cells[0], 33);
    EXPECT_EQ(cells[1], 34);
    ASSERT_EQ(textCells("A\xE9Z", 1, cells), 2u) << "code 233 has no cell in set 1";
    EXPECT_EQ(cells[0], 161);
    EXPECT_EQ(cells[1], 186);
    std::string longText(300, '7');
    EXPECT_EQ(textCells(longText.c_str(), 0, cells), kMaxTextLength);
}

TEST(FormatText, FormatsAndCutsAt255Characters)
{
    TextBuffer buffer;
    EXPECT_EQ(formatText(buffer, "%.0f", 59.6), 2u);
    EXPECT_STREQ(buffer, "60");
    EXPECT_EQ(formatText(buffer, "%s", ""), 0u);
    EXPECT_STREQ(buffer, "");
    std::string longText(1000, 'x');
    EXPECT_EQ(formatText(buffer, "%s!", longText.c_str()), kMaxTextLength);
    EXPECT_EQ(std::string(buffer), std::string(kMaxTextLength, 'x'));
    EXPECT_EQ(formatText(buffer, "%s", std::string(255, 'y').c_str()), 255u);
}

// Frames at a fixed rate until the predicate holds; the count, or -1 after max frames.
template <typename Step>
static int framesUntil(Step step, int maxFrames)
{
    for (int frame = 1; frame <= maxFrames; ++frame)
        if (step()) return frame;
    return -1;
}

TEST(Fader, LoadingPictureFadesOutIn175Seconds)
{
    for (float fps : {60.0f, 30.0f}) {
        ScreenFader fader;
        int frames = framesUntil([&] { fader.step(fps); return fader.loadingAlpha == 0.0f; }, 1000);
        EXPECT_NEAR(frames / fps, 1.75, 1.5 / fps) << fps << " fps";
        EXPECT_EQ(fader.flashAlpha, 0.0f) << "no flash without a request";
    }
}

TEST(Fader, FlashRisesInOneSecondAndFallsInOneAtAnyFrameRate)
{
    for (float fps : {60.0f, 30.0f, 24.0f}) {
        SCOPED_TRACE(std::to_string(fps) + " fps");
        ScreenFader fader;
        fader.requestJump = true;
        int up = framesUntil([&] { return fader.step(fps); }, 1000);
        EXPECT_NEAR(up / fps, 1.0, 1.5 / fps);
        EXPECT_EQ(fader.flashAlpha, 1.0f);
        EXPECT_FALSE(fader.requestJump) << "the jump clears the request";
        int down = framesUntil([&] { EXPECT_FALSE(fader.step(fps)); return fader.flashAlpha == 0.0f; }, 1000);
        EXPECT_NEAR(down / fps, 1.0, 1.5 / fps);
        for (int i = 0; i < 5; ++i) fader.step(fps);
        EXPECT_EQ(fader.flashAlpha, 0.0f) << "an idle flash stays at 0";
    }
}

TEST(Fader, AFrameRateOfZeroStillFadesInFiniteSteps)
{
    EXPECT_FLOAT_EQ(fadeStep(1.0f, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(fadeStep(1.0f, -5.0f), 1.0f);
    ScreenFader fader;
    fader.requestJump = true;
    EXPECT_TRUE(fader.step(0.0f));
    EXPECT_EQ(fader.flashAlpha, 1.0f);
    EXPECT_FLOAT_EQ(fader.loadingAlpha, 1.0f - kLoadingFadeRate) << "one second's worth, not an infinite step";
}

TEST(Fader, NewRequestWhileFallingRisesFromTheCurrentStrength)
{
    ScreenFader fader;
    fader.requestJump = true;
    while (!fader.step(60.0f)) {}
    for (int i = 0; i < 30; ++i) fader.step(60.0f);
    const float halfway = fader.flashAlpha;
    EXPECT_NEAR(halfway, 0.5f, 0.02f);
    fader.requestJump = true;
    fader.step(60.0f);
    EXPECT_NEAR(fader.flashAlpha, halfway + 1.0f / 60.0f, 1e-5f);
    int frames = framesUntil([&] { return fader.step(60.0f); }, 1000);
    EXPECT_NEAR(frames, 29, 1) << "the rest of the rise only";
}

// The application restarts the camera on each "jump now" the fader reports.
TEST(Fader, JumpIsReportedOncePerRequest)
{
    ScreenFader fader;
    int jumps = 0, jumpFrame = -1;
    fader.requestJump = true;
    for (int frame = 0; frame < 180; ++frame)
        if (fader.step(60.0f)) {
            ++jumps;
            jumpFrame = frame;
        }
    EXPECT_EQ(jumps, 1);
    EXPECT_NEAR(jumpFrame, 59, 1) << "at full strength, after a second's rise";
    EXPECT_FALSE(fader.requestJump);
}

TEST(Fader, ARequestRenewedAtFullStrengthReportsAJumpEveryFrame)
{
    ScreenFader fader;
    fader.requestJump = true;
    while (!fader.step(60.0f)) {}
    int jumps = 0;
    for (int frame = 0; frame < 10; ++frame) {
        fader.requestJump = true;   // the timed jump sets it on every frame of its second
        jumps += fader.step(60.0f);
        EXPECT_EQ(fader.flashAlpha, 1.0f);
    }
    EXPECT_EQ(jumps, 10);
}

// One frame with F1 pressed the given number of times before the update.
static void frameWithF1(HelpScreen& help, int presses, float fps)
{
    for (int i = 0; i < presses; ++i) help.visible = !help.visible;
    help.update(fps);
}

TEST(Help, FadesInToItsMaximumInAboutOneAndAHalfSecondsAndStaysThere)
{
    for (float fps : {60.0f, 30.0f}) {
        HelpScreen help;
        help.visible = true;
        int frames = framesUntil([&] { help.update(fps); return help.alpha >= kHelpMaximum; }, 1000);
        EXPECT_NEAR(frames / fps, 1.5, 1.5 / fps) << fps;
        for (int i = 0; i < 100; ++i) help.update(fps);
        EXPECT_FLOAT_EQ(help.alpha, kHelpMaximum);
    }
    // A very slow frame rate cannot carry it past the maximum.
    EXPECT_FLOAT_EQ(helpAlphaStep(0.6f, true, 2.0f), kHelpMaximum);
}

TEST(Help, FadeOutLeavesAtMostTheFloorAndNeverGoesNegative)
{
    for (float fps : {60.0f, 30.0f, 7.0f, 1.0f}) {
        HelpScreen help;
        help.alpha = kHelpMaximum;
        int frames = framesUntil([&] { help.update(fps); return help.alpha <= kHelpFloor; }, 1000);
        if (fps >= 30.0f) {
            EXPECT_NEAR(frames / fps, 1.05, 1.5 / fps) << fps;
        }
        for (int i = 0; i < 50; ++i) help.update(fps);
        EXPECT_LE(help.alpha, 0.01f) << fps;
        EXPECT_GE(help.alpha, 0.0f) << fps;
    }
}

TEST(Help, F1TwiceInOneFrameChangesNothing)
{
    HelpScreen pressed, untouched;
    for (int i = 0; i < 40; ++i) {
        frameWithF1(pressed, i == 20 ? 2 : 0, 60.0f);
        frameWithF1(untouched, 0, 60.0f);
    }
    EXPECT_FALSE(pressed.visible);
    EXPECT_EQ(pressed.alpha, untouched.alpha);

    // And the same while it is showing.
    HelpScreen showing;
    frameWithF1(showing, 1, 60.0f);
    for (int i = 0; i < 20; ++i) frameWithF1(showing, 0, 60.0f);
    const float before = showing.alpha;
    frameWithF1(showing, 2, 60.0f);
    EXPECT_TRUE(showing.visible);
    EXPECT_NEAR(showing.alpha, before + kHelpFadeInRate / 60.0f, 1e-6f);
}

TEST(Help, F1DuringTheFadeInReversesItFromTheCurrentAlpha)
{
    HelpScreen help;
    frameWithF1(help, 1, 60.0f);
    for (int i = 0; i < 44; ++i) frameWithF1(help, 0, 60.0f);
    const float reached = help.alpha;
    ASSERT_GT(reached, 0.3f);
    ASSERT_LT(reached, kHelpMaximum);
    frameWithF1(help, 1, 60.0f);
    EXPECT_FALSE(help.visible);
    EXPECT_NEAR(help.alpha, reached - kHelpFadeOutRate / 60.0f, 1e-6f) << "no jump to either end";
    float last = help.alpha;
    for (int i = 0; i < 10; ++i) {
        frameWithF1(help, 0, 60.0f);
        EXPECT_LT(help.alpha, last);
        last = help.alpha;
    }
}

TEST(ClockText, TwoDigitFieldsOnThe24HourClock)
{
    ClockText text;
    std::tm t{};
    t.tm_hour = 7, t.tm_min = 5, t.tm_sec = 9;
    clockText(t, text);
    EXPECT_STREQ(text, "07:05:09");
    t.tm_hour = 23, t.tm_min = 59, t.tm_sec = 59;
    clockText(t, text);
    EXPECT_STREQ(text, "23:59:59");
    t.tm_hour = 0, t.tm_min = 0, t.tm_sec = 60;   // a leap second
    clockText(t, text);
    EXPECT_STREQ(text, "00:00:60");
    t.tm_hour = 125, t.tm_min = -4, t.tm_sec = 1000;   // never wider than eight characters
    clockText(t, text);
    EXPECT_EQ(std::string(text).size(), 8u);
}

TEST(ClockText, SecondsAreTakenAsTheTimeSinceMidnight)
{
    ClockText text;
    clockTextAt(1000.0, text);
    EXPECT_STREQ(text, "00:16:40");
    clockTextAt(86399.99, text);
    EXPECT_STREQ(text, "23:59:59");
    clockTextAt(86400.0 * 3 + 3661.5, text);
    EXPECT_STREQ(text, "01:01:01");
    clockTextAt(-1.0, text);
    EXPECT_STREQ(text, "23:59:59");
}
