// Frames nobody sees are not drawn, on X11: the engine paces its frames to the refresh rate without
// vertical sync, draws none while another window covers it (and hardly wakes), takes up the
// flight again when it shows, and follows the power source: UPower on a system bus of the test's
// own (python3-dbusmock's UPower), or the kernel's list of supplies where UPower does not answer
// (a folder of the test's own). Frames are counted from the engine's own log.
#include "support/private_bus.h"
#include "support/program_runner.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

// The processor seconds a process uses over the next three seconds.
double processorSecondsInThreeSeconds(pid_t pid)
{
    const double before = processorSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    return processorSeconds(pid) - before;
}

// "shutting down after N frames in T s": N and T.
std::pair<long, double> framesAndSeconds(const std::string& log)
{
    std::smatch m;
    if (!std::regex_search(log, m, std::regex("shutting down after ([0-9]+) frames in ([0-9.]+) s"))) return {-1, 0.0};
    return {std::stol(m[1]), std::stod(m[2])};
}

std::map<std::string, std::string> engineEnv(const std::map<std::string, std::string>& more = {})
{
    std::map<std::string, std::string> env = {{"ZERO_MESSAGES", "stderr"}, {"SDL_AUDIODRIVER", "dummy"}};
    for (const auto& [name, value] : more) env[name] = value;
    return env;
}

// A session bus of the test's own standing in for the system bus, with python3-dbusmock's UPower
// on it saying OnBattery; onBattery(false) changes that the way UPower would.
struct MockUPower {
    TempFolder folder{"upower"};
    PrivateBus bus;
    RunningProgram upower;
    std::string address;

    bool start(bool battery)
    {
        if (!bus.start(folder.str())) return false;
        address = bus.address;
        const std::string params = std::string("{\"OnBattery\": ") + (battery ? "true" : "false") + "}";
        // Its log of calls goes to standard output, which the test's own would get.
        if (!upower.start("/", "/bin/sh", {{"DBUS_SYSTEM_BUS_ADDRESS", address}},
                          {"-c", "exec /usr/bin/python3 -m dbusmock --system --template upower -p '" + params + "' > /dev/null"}))
            return false;
        for (int i = 0; i < 100; ++i) {
            int status = 1;
            shell("DBUS_SYSTEM_BUS_ADDRESS='" + address + "' gdbus call --system --dest org.freedesktop.UPower "
                  "--object-path /org/freedesktop/UPower --method org.freedesktop.DBus.Properties.Get "
                  "org.freedesktop.UPower OnBattery > /dev/null 2>&1", &status);
            if (status == 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    bool onBattery(bool battery)
    {
        int status = 1;
        shell("DBUS_SYSTEM_BUS_ADDRESS='" + address + "' gdbus call --system --dest org.freedesktop.UPower "
              "--object-path /org/freedesktop/UPower --method org.freedesktop.DBus.Properties.Set "
              "org.freedesktop.UPower OnBattery '<" + std::string(battery ? "true" : "false") + ">' > /dev/null 2>&1",
              &status);
        return status == 0;
    }
    ~MockUPower()
    {
        upower.signal(SIGTERM);
        upower.waitExit(10);
    }
};

}  // namespace

// An engine in a program directory of its own with these behaviour settings, flying past its
// loading picture.
class ZeroPower : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;

    void fly(const std::string& settings, const std::map<std::string, std::string>& env = {})
    {
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\nmouse_on=0\ncamjump_vo=0\n" << settings;
        ASSERT_TRUE(zero.start(dir.path, "zero", engineEnv(env)));
        ASSERT_TRUE(zero.waitForOutput("zero: loading picture faded out", 120)) << zero.stderrText();
    }
};

TEST_F(ZeroPower, WithoutVerticalSyncTheFramesArePacedToTheRefreshRate)
{
    // A rate the software renderer exceeds at this size, as a display's refresh rate.
    ASSERT_NO_FATAL_FAILURE(fly("vsync_on=0\n", {{"ZERO_REFRESH_RATE", "8"}}));
    std::this_thread::sleep_for(std::chrono::seconds(6));
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(20)) << zero.stderrText();
    const std::string log = zero.stderrText();
    EXPECT_NE(log.find("zero: frame cap 8 per second: the display's refresh rate"), std::string::npos) << log;
    const auto [frames, seconds] = framesAndSeconds(log);
    ASSERT_GT(frames, 0) << log;
    EXPECT_LE(frames, 8.0 * seconds + 3) << frames << " frames in " << seconds << " s";
    EXPECT_GE(frames, 4.0 * seconds) << frames << " frames in " << seconds << " s";
}

TEST_F(ZeroPower, CoveredItDrawsNothingAndHardlyWakesAndShownItFliesOn)
{
    ASSERT_NO_FATAL_FAILURE(fly(""));
    RunningProgram cover;   // a plain window over the whole screen, mapped over the engine's
    ASSERT_TRUE(cover.start(dir.path, "/bin/sh", {}, {"-c", "exec xev -geometry 1920x1080+0+0 -name cover > /dev/null"}));
    ASSERT_TRUE(zero.waitForOutput("zero: the window is covered (frame ", 20)) << zero.stderrText();
    EXPECT_LT(processorSecondsInThreeSeconds(zero.pid), 0.15) << "processor seconds used in 3 s while covered";
    EXPECT_EQ(zero.stderrText().find("zero: frames again after"), std::string::npos) << zero.stderrText();

    const auto uncovered = std::chrono::steady_clock::now();
    cover.signal(SIGTERM);
    ASSERT_TRUE(zero.waitForOutput("zero: frames again after ", 10)) << zero.stderrText();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - uncovered).count(), 2.0);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(20)) << zero.stderrText();
    const std::string log = zero.stderrText();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(log, m, std::regex("covered \\(frame ([0-9]+) was the last\\)"))) << log;
    const long lastBefore = std::stol(m[1]);
    EXPECT_GT(framesAndSeconds(log).first, lastBefore + 5) << "no flight after the window showed again";
    // The pause is no slow frame rate: the camera takes up its flight, no jump to another stretch.
    EXPECT_EQ(log.find("camera jump"), std::string::npos) << log;
}

// A daemon may stop its hack outright (while its unlock dialog is up): on SIGCONT the gap is taken
// for a pause, not for one slow frame whose step would leap the camera.
TEST_F(ZeroPower, AStoppedEngineTakesUpTheFlightWhereItWas)
{
    ASSERT_NO_FATAL_FAILURE(fly(""));
    kill(zero.pid, SIGSTOP);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    kill(zero.pid, SIGCONT);
    ASSERT_TRUE(zero.waitForOutput("; the flight takes up where it was", 10)) << zero.stderrText();
    std::smatch m;
    const std::string log = zero.stderrText();
    ASSERT_TRUE(std::regex_search(log, m, std::regex("no frame for ([0-9.]+) s"))) << log;
    EXPECT_GE(std::stod(m[1]), 1.9);
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(20)) << zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0);
}

// Each source of the power state in turn: the cap (or the still picture) on battery, its reason in
// the log, and the change back to mains within 5 s.
TEST_F(ZeroPower, OnBatteryTheChosenCapHoldsAndMainsTakesOverWithinFiveSeconds)
{
    const bool dbusmock = fs::exists("/usr/lib/python3/dist-packages/dbusmock");
    for (const bool upower : {true, false}) {
        SCOPED_TRACE(upower ? "UPower" : "the supplies' folder");
        if (upower && !dbusmock) {
            ADD_FAILURE() << "python3-dbusmock is not installed (scripts/setup.sh installs it)";
            continue;
        }
        ProgramDir caseDir;   // each source in a program directory of its own
        // UPower's case caps the frames; the supplies' case asks for a still picture.
        std::ofstream(caseDir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\nmouse_on=0\ncamjump_vo=0\n"
                                                  << (upower ? "" : "battery_mode=2\n");
        const TempFolder suppliesFolder("supplies");
        const std::string supplies = suppliesFolder.str();
        fs::create_directories(supplies + "/AC");
        std::ofstream(supplies + "/AC/type") << "Mains\n";
        // UPower speaks over the supplies wherever it answers: they say mains meanwhile.
        std::ofstream(supplies + "/AC/online") << (upower ? "1\n" : "0\n");
        MockUPower mock;
        if (upower) {
            ASSERT_TRUE(mock.start(true)) << mock.upower.stderrText();
        }
        const std::string bus = upower ? mock.address : "unix:path=" + supplies + "/no-bus";
        RunningProgram engine;
        ASSERT_TRUE(engine.start(caseDir.path, "zero",
                               engineEnv({{"DBUS_SYSTEM_BUS_ADDRESS", bus}, {"ZERO_POWER_SUPPLIES", supplies}})));
        const std::string source = upower ? "UPower" : supplies;
        const std::string onBattery = upower ? "zero: frame cap 20 per second: on battery (power: " + source + ")"
                                             : "zero: a still picture: on battery (power: " + source + ")";
        ASSERT_TRUE(engine.waitForOutput(onBattery, 60)) << engine.stderrText();
        ASSERT_TRUE(engine.waitForOutput("zero: loading picture faded out", 120)) << engine.stderrText();
        if (!upower) {
            // The still picture stands: no frames, and the engine hardly wakes.
            EXPECT_LT(processorSecondsInThreeSeconds(engine.pid), 0.15) << "processor seconds used in 3 s of a still picture";
        }
        const auto plugged = std::chrono::steady_clock::now();
        if (upower) {
            ASSERT_TRUE(mock.onBattery(false));
        } else {
            std::ofstream(supplies + "/AC/online") << "1\n";
        }
        ASSERT_TRUE(engine.waitForOutput("zero: frame cap 60 per second: the display's refresh rate (power: " + source + ")", 10))
            << engine.stderrText();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - plugged).count(), 5.0);
        engine.signal(SIGTERM);
        ASSERT_TRUE(engine.waitExit(20)) << engine.stderrText();
        EXPECT_EQ(engine.exitCode, 0) << engine.stderrText();
    }
}
