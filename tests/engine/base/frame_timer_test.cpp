#include "base/frame_timer.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(FrameTimer, FirstUpdatePublishes61)
{
    FrameTimer t;
    t.update(5000.0);
    EXPECT_FLOAT_EQ(t.framesPerSecond, 61.0f);
    EXPECT_FLOAT_EQ(t.frameCounter, 0.0f);
    EXPECT_FLOAT_EQ(t.frameRateFactor, 60.0f / 61.0f);
}

TEST(FrameTimer, Steady30FpsGivesFactor2)
{
    FrameTimer t;
    double now = 100.0;
    t.update(now);
    for (int i = 0; i < 200; ++i) t.update(now += 1.0 / 30.0);
    EXPECT_NEAR(t.framesPerSecond, 30.0f, 1.0f);
    EXPECT_NEAR(t.frameRateFactor, 2.0f, 0.07f);
}

TEST(FrameTimer, UpdatesOnlyAfterMoreThanOneSecond)
{
    FrameTimer t;
    t.update(10.0);
    t.update(11.0);   // exactly 1.0 s: no rate update
    EXPECT_FLOAT_EQ(t.frameCounter, 1.0f);
    t.update(11.001);
    EXPECT_FLOAT_EQ(t.framesPerSecond, 2.0f);
    EXPECT_FLOAT_EQ(t.frameCounter, 0.0f);
}

TEST(FrameTimer, KeepsFrameStepsAfterTwentyDaysUptime)
{
    FrameTimer t;
    double start = 20.0 * 24 * 3600;
    t.update(start);
    t.update(start + 1.0 / 60.0);
    EXPECT_NEAR(t.currentTime - start, 1.0 / 60.0, 1e-9);
}

TEST(TimedJump, MultiplesOfTheInterval)
{
    for (int s = 0; s < 12; ++s) EXPECT_EQ(timedJumpDue(3, s + 0.5), s % 3 == 0) << s;
    EXPECT_FALSE(timedJumpDue(0, 90.0));
    EXPECT_FALSE(timedJumpDue(-5, 10.0));
    EXPECT_TRUE(timedJumpDue(1, 7.9));
}

// Thirty seconds without frames (a covered surface) between steady 30 fps runs: told of the pause,
// the timer keeps the factor near 2 throughout; not told, the frame after the gap takes the whole
// gap for one slow second and its factor leaps the flight.
TEST(FrameTimer, APauseToldOfIsNotASlowFrameRate)
{
    for (bool told : {true, false}) {
        FrameTimer t;
        double now = 100.0;
        t.update(now);
        for (int i = 0; i < 100; ++i) t.update(now += 1.0 / 30.0);
        now += 30.0;
        if (told) t.resumeAfterPause(now);
        float largest = 0.0f;
        for (int i = 0; i < 100; ++i) {
            t.update(now += 1.0 / 30.0);
            largest = std::max(largest, t.frameRateFactor);
        }
        if (told) EXPECT_LT(largest, 2.2f);
        else EXPECT_GT(largest, 5.0f);
        EXPECT_NEAR(t.frameRateFactor, 2.0f, 0.1f);
    }
}
