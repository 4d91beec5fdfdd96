// The frame cap for each combination of vertical sync, power source and battery policy, as the
// log says it; the pacer's schedule.
#include "base/frame_cap.h"

#include <gtest/gtest.h>

TEST(FrameCap, EachPowerSourceAndPolicyGivesItsCapAndItsWords)
{
    const struct {
        bool vsync;
        double refresh;
        bool battery;
        BatteryPolicy policy;
        const char* said;
    } cases[] = {
        {false, 60.0, false, BatteryPolicy::Cap, "frame cap 60 per second: the display's refresh rate"},
        {false, 143.86, false, BatteryPolicy::Cap, "frame cap 144 per second: the display's refresh rate"},
        {false, 0.0, false, BatteryPolicy::Cap, "frame cap 60 per second: the display's refresh rate"},
        {true, 60.0, false, BatteryPolicy::Cap, "no frame cap: vertical sync paces the frames"},
        {false, 60.0, true, BatteryPolicy::Cap, "frame cap 20 per second: on battery"},
        {true, 144.0, true, BatteryPolicy::Cap, "frame cap 20 per second: on battery"},
        // A display slower than the battery's cap keeps its own rate.
        {false, 15.0, true, BatteryPolicy::Cap, "frame cap 15 per second: on battery"},
        {false, 60.0, true, BatteryPolicy::Full,
         "frame cap 60 per second: the display's refresh rate, on battery at full speed as chosen"},
        {true, 60.0, true, BatteryPolicy::Full, "no frame cap: vertical sync paces the frames, on battery at full speed as chosen"},
        {false, 60.0, true, BatteryPolicy::Still, "a still picture: on battery"},
        {false, 60.0, false, BatteryPolicy::Still, "frame cap 60 per second: the display's refresh rate"},
    };
    for (const auto& c : cases) {
        const FrameCap cap = chooseFrameCap(c.vsync, c.refresh, c.battery, c.policy);
        EXPECT_EQ(cap.describe(), c.said);
        EXPECT_EQ(cap.still, c.policy == BatteryPolicy::Still && c.battery) << c.said;
    }
    // A change of the power source is a change of the cap: the loop logs it.
    EXPECT_NE(chooseFrameCap(false, 60.0, true, BatteryPolicy::Cap), chooseFrameCap(false, 60.0, false, BatteryPolicy::Cap));
}

TEST(FramePacer, FramesAreDueOneIntervalAfterTheLastAndAtOnceWithoutACap)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.due(24), FramePacer::Clock::time_point::min()) << "the first frame waits for nothing";
    const FramePacer::Clock::time_point t0 = FramePacer::Clock::now();
    pacer.taken(t0);
    EXPECT_EQ(pacer.due(0), FramePacer::Clock::time_point::min());
    EXPECT_NEAR(std::chrono::duration<double>(pacer.due(24) - t0).count(), 1.0 / 24, 1e-6);
    EXPECT_NEAR(std::chrono::duration<double>(pacer.due(60) - t0).count(), 1.0 / 60, 1e-6);
    // Waiting under a cap sleeps out the rest of the interval and no more than a little over it.
    pacer.wait(50);
    const FramePacer::Clock::time_point t1 = FramePacer::Clock::now();
    pacer.wait(50);
    const double gap = std::chrono::duration<double>(FramePacer::Clock::now() - t1).count();
    EXPECT_GE(gap, 0.015);
}
