// The gamma setting reaches the display while the engine runs, and the ramp goes back at the end.
#include "support/program_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>


// The server keeps 8 bits a colour and reads them back widened (x >> 8) × 257.
static int quantised(int value) { return (value >> 8) * 257; }

TEST(ZeroGamma, SettingShowsDuringTheRunAndIsRestoredAfter)
{
    ProgramDir dir;
    std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\ngamma_vo=200\r\n";
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}}));
    auto window = waitForWindow("Window", 20.0);
    ASSERT_TRUE(window) << zero.stderrText();

    std::vector<int> ramp;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        ramp = windowRedRamp(window->id);
        if (ramp.size() == 256 && ramp[64] == quantised(32768)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_EQ(ramp.size(), 256u) << "the engine's window has no gamma colormap";
    for (int i = 0; i < 256; ++i) {
        int expected = static_cast<int>(std::min(65535.0, std::pow(i / 256.0, 0.5) * 65536.0));
        ASSERT_EQ(ramp[i], quantised(expected)) << "entry " << i;
    }

    ASSERT_TRUE(zero.waitForOutput("zero: running", 60.0)) << zero.stderrText();
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(2.0));
    EXPECT_EQ(zero.exitCode, 0);
    std::string log = zero.stderrText();
    EXPECT_NE(log.find("display gamma restored"), std::string::npos) << log;
    EXPECT_EQ(log.find("could not be restored"), std::string::npos) << log;
}
