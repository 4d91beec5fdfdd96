// The display's gamma over a run, through a back end that stands for a display: the ramp found at
// the start goes back on the way out, once, and never to a display that is gone or the daemon's.
#include "window/display_gamma.h"

#include "window/window_backend.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

// A display whose ramp the test sees; it takes the first setsTaken ramps set and refuses the
// rest. Without a ramp (a Wayland session) it refuses both ways.
class RampDisplay : public WindowBackend {
public:
    explicit RampDisplay(bool hasRamp, int setsTaken = 1000) : hasRamp_(hasRamp), setsTaken_(setsTaken)
    {
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint16_t>(i * 7);
    }
    GammaRamp ramp{};
    int setCalls = 0;

    const char* name() const override { return "test"; }
    bool create(const WindowRequest&) override { return true; }
    void show() override {}
    void destroy() override {}
    int pixelWidth() const override { return 64; }
    int pixelHeight() const override { return 64; }
    bool nextEvent(WindowEvent&) override { return false; }
    bool frameWanted(int) override { return true; }
    void waitForEvents(int) override {}
    void swap() override {}
    void setSwapInterval(int) override {}
    bool hasGammaRamp() const override { return hasRamp_; }
    bool gammaRamp(GammaRamp& out) override
    {
        if (hasRamp_) out = ramp;
        return hasRamp_;
    }
    bool setGammaRamp(const GammaRamp& in) override
    {
        const bool taken = hasRamp_ && setCalls < setsTaken_;
        ++setCalls;
        if (taken) ramp = in;
        return taken;
    }

private:
    bool hasRamp_;
    int setsTaken_;
};

TEST(DisplayGamma, TheRampFoundGoesBackOnceWhateverWasSetMeanwhile)
{
    RampDisplay display(true);
    const GammaRamp found = display.ramp;
    DisplayGamma gamma;
    gamma.keep(display, false);
    testing::internal::CaptureStderr();
    gamma.apply(display, 1.5f);
    EXPECT_EQ(display.ramp, buildGammaRamp(1.5f));
    EXPECT_EQ(gamma.pictureGamma(), 1.0f) << "the ramp carries it";
    gamma.restore(display);
    gamma.restore(display);   // the exit hook after the orderly shutdown
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zero: display gamma restored\n");
    EXPECT_EQ(display.ramp, found);
    EXPECT_EQ(display.setCalls, 2);
}

TEST(DisplayGamma, EachWayTheRestoreCanEndIsLogged)
{
    struct Case {
        const char* what;
        bool hasRamp;
        int setsTaken;
        bool lent, lost;
        int setCalls;   // by apply and restore together
        std::string log;
        float pictureGamma;
    };
    const Case cases[] = {
        {"a display that refuses the ramp back", true, 1, false, false, 2,
         "zero: display gamma could not be restored\n", 1.0f},
        {"a display that went away", true, 1000, false, true, 1,
         "zero: display gamma not restored: the display is gone\n", 1.0f},
        {"a daemon's lent window", true, 1000, true, false, 0, "", 1.0f},
        {"a session without a ramp", false, 0, false, false, 0,
         "zero: gamma 1.50 applied to the picture (the display has no ramp for us)\n", 1.5f},
    };
    for (const Case& c : cases) {
        RampDisplay display(c.hasRamp, c.setsTaken);
        DisplayGamma gamma;
        gamma.keep(display, c.lent);
        testing::internal::CaptureStderr();
        gamma.apply(display, 1.5f);
        if (c.lost) gamma.displayLost();
        gamma.restore(display);
        gamma.restore(display);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.log) << c.what;
        EXPECT_EQ(display.setCalls, c.setCalls) << c.what;
        EXPECT_EQ(gamma.pictureGamma(), c.pictureGamma) << c.what;
    }
}

TEST(DisplayGamma, AGammaOfOneLeavesThePictureAloneWithoutAWord)
{
    RampDisplay display(false);
    DisplayGamma gamma;
    gamma.keep(display, false);
    testing::internal::CaptureStderr();
    gamma.apply(display, 1.0f);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(gamma.pictureGamma(), 1.0f);
}
