// The engine as a user meets it: one full-screen window in the sky colour, ended by a signal,
// the window's close button, a key, a mouse button, the wheel or (when chosen) a movement of the
// mouse, with a clean shutdown; keys with Alt left to the platform; a clean end when the X server
// goes away under it; capture mode is reproducible.
#include "support/program_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

// Xlib last: its macros (None, Bool, Status) clash with GoogleTest.
#include <X11/Xlib.h>

namespace fs = std::filesystem;

static constexpr const char* kTitle = "Window";
static constexpr const char* kRunningLine = "zero: running";

static std::map<std::string, std::string> messagesToStderr() { return {{"ZERO_MESSAGES", "stderr"}}; }

static void sendCloseRequest(const std::string& windowId)
{
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    Window window = std::stoul(windowId, nullptr, 16);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

class ZeroWindow : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;
    std::vector<std::string> before = dir.entries();

    // Writes the behaviour settings file as the settings dialog does.
    void writeSettings(const std::string& lines)
    {
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\n" << lines;
        before = dir.entries();
    }

    WindowInfo startAndWait(std::map<std::string, std::string> env = messagesToStderr())
    {
        EXPECT_TRUE(zero.start(dir.path, "zero", env));
        auto window = waitForWindow(kTitle, 20.0);
        EXPECT_TRUE(window) << zero.stderrText();
        // Input sent before start-up ends waits in the queue; the time limits below count from here.
        EXPECT_TRUE(zero.waitForOutput(kRunningLine, 60.0)) << zero.stderrText();
        return window.value_or(WindowInfo{});
    }

    void expectCleanShutdown()
    {
        EXPECT_EQ(zero.exitCode, 0);
        EXPECT_FALSE(zero.signalled);
        EXPECT_NE(zero.stderrText().find("shutdown complete"), std::string::npos) << zero.stderrText();
        EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
        EXPECT_EQ(countWindows(kTitle), 0);
    }
};

TEST_F(ZeroWindow, CoversTheScreenWithTheSceneAndEndsOnSigterm)
{
    // A stretch of the flight with sky above: elsewhere the peak's rock may fill the top.
    std::map<std::string, std::string> env = knownFlight();
    env.merge(messagesToStderr());
    WindowInfo window = startAndWait(env);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, 1920);
    EXPECT_EQ(window.height, 1080);
    EXPECT_EQ(countWindows(kTitle), 1);
    // No decorations: a top-level window straight under the root, without a border.
    std::string info = shell("xwininfo -children -id " + window.id);
    EXPECT_NE(info.find("Parent window id: 0x"), std::string::npos);
    EXPECT_NE(info.find("(the root window)"), std::string::npos) << info;
    EXPECT_NE(shell("xwininfo -id " + window.id).find("Border width: 0"), std::string::npos);

    // The loading picture fades out over the first 1.75 seconds.
    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    std::string shot = dir.path + "/../quelm-shot-" + std::to_string(getpid()) + ".png";
    auto picture = screenshot(shot);
    fs::remove(shot);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->width, 1920);
    // The scene reaches every corner: sky at the top, and nowhere the bare clear colour.
    for (auto [x, y] : {std::pair{0, 0}, {1919, 0}, {0, 1079}, {1919, 1079}, {960, 540}}) {
        auto c = picture->at(x, y);
        EXPECT_GT(c[0] + c[1] + c[2], 60) << "at " << x << "," << y;
        EXPECT_GT(std::abs(c[0] - 51) + std::abs(c[1] - 102) + std::abs(c[2] - 178), 6) << "clear colour at " << x << "," << y;
    }
    auto top = picture->at(960, 0);
    EXPECT_GT(top[2], top[0]) << "no sky at the top";

    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(1.0)) << "SIGTERM did not end the run within a second";
    expectCleanShutdown();
}

TEST_F(ZeroWindow, CloseRequestEndsTheRun)
{
    WindowInfo window = startAndWait();
    sendCloseRequest(window.id);
    ASSERT_TRUE(zero.waitExit(10.0));
    expectCleanShutdown();
}

// Each of these ends the run by itself; xdotool's buttons 4 and 5 are the wheel.
class ZeroEndingInput : public ZeroWindow, public ::testing::WithParamInterface<const char*> {};

TEST_P(ZeroEndingInput, EndsTheRunWithACleanShutdown)
{
    WindowInfo window = startAndWait();
    ASSERT_TRUE(waitForFocus(window.id, 10.0));
    shell(std::string("xdotool ") + GetParam());
    ASSERT_TRUE(zero.waitExit(10.0)) << GetParam() << " did not end the run\n" << zero.stderrText();
    expectCleanShutdown();
}

INSTANTIATE_TEST_SUITE_P(KeysButtonsAndWheel, ZeroEndingInput,
                         ::testing::Values("key Escape", "key space", "click 1", "click 2", "click 3", "click 4",
                                           "click 5"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char* c = info.param; *c; ++c)
                                 if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                             return name;
                         });

TEST_F(ZeroWindow, OtherKeysAndMovementsWithTheMouseSettingOffLeaveItRunning)
{
    writeSettings("mouse_on=0\r\ncamjump_vo=0\r\n");
    WindowInfo window = startAndWait();
    ASSERT_TRUE(waitForFocus(window.id, 10.0));
    shell("xdotool mousemove 0 0 sleep 0.2 mousemove 1900 1060 sleep 0.2 key a Return Tab shift+x Up F1 F1");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(zero.waitExit(0.0)) << "the run ended without an ending input\n" << zero.stderrText();
    shell("xdotool click 1");
    ASSERT_TRUE(zero.waitExit(10.0)) << "a click still ends it";
    expectCleanShutdown();
}

// Keys held with Alt are the platform's, so Alt with S, T, F, F1, an arrow, Space or
// Escape changes nothing in the engine; the same keys without Alt still act. (The platform's own
// close shortcut would arrive as the close event, which CloseRequestEndsTheRun covers.)
TEST_F(ZeroWindow, KeysWithAltChangeNothing)
{
    writeSettings("camjump_vo=0\r\n");
    WindowInfo window = startAndWait();
    ASSERT_TRUE(waitForFocus(window.id, 10.0));
    shell("xdotool key alt+s alt+Escape alt+space alt+Up alt+t alt+f alt+F1 alt+s");
    // A jump asked for would be logged once its flash has risen, about a second later.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    ASSERT_FALSE(zero.waitExit(0.0)) << "a key with Alt ended the run\n" << zero.stderrText();
    std::string log = zero.stderrText();
    EXPECT_EQ(log.find("zero: sound"), std::string::npos) << "Alt+S toggled the sound\n" << log;
    EXPECT_EQ(log.find("camera jump"), std::string::npos) << "Alt+Up asked for a camera jump\n" << log;

    shell("xdotool key s");
    EXPECT_TRUE(zero.waitForOutput("zero: sound off, music off", 10.0)) << "S alone toggles the sound\n"
                                                                         << zero.stderrText();
    shell("xdotool key Escape");
    ASSERT_TRUE(zero.waitExit(10.0)) << "Escape alone still ends the run\n" << zero.stderrText();
    expectCleanShutdown();
}

// The session ends under the screensaver: the X server goes away while the engine runs. The
// engine cannot restore anything on a display that is gone, but it must end by itself without
// a crash, remove its temporary folder and say what happened. The server here is the test's own.
class ZeroDisplayLoss : public ::testing::TestWithParam<int> {};

TEST_P(ZeroDisplayLoss, EndsCleanlyAndRemovesItsTemporaryFolder)
{
    PrivateXServer server;
    ASSERT_TRUE(server.start()) << "no private Xvfb";
    ProgramDir dir;
    const std::vector<std::string> before = dir.entries();
    RunningProgram zero;
    auto env = messagesToStderr();
    env["DISPLAY"] = server.display;
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitForOutput(kRunningLine, 60.0)) << zero.stderrText();
    EXPECT_TRUE(fs::is_directory(dir.path + "/ScrTempFd")) << "the run made no temporary folder";
    std::this_thread::sleep_for(std::chrono::seconds(3));
    server.signal(GetParam());
    ASSERT_TRUE(server.waitExit(10.0));
    ASSERT_TRUE(zero.waitExit(20.0)) << "the engine went on without its display\n" << zero.stderrText();
    const std::string log = zero.stderrText();
    EXPECT_FALSE(zero.signalled) << "exit " << zero.exitCode << "\n" << log;
    EXPECT_EQ(zero.exitCode, 0) << log;
    EXPECT_NE(log.find("zero: the connection to the X display " + server.display + " was lost"), std::string::npos)
        << log;
    EXPECT_NE(log.find("zero: display gamma not restored: the display is gone"), std::string::npos) << log;
    EXPECT_EQ(log.find("display gamma restored"), std::string::npos) << "a restore claimed on a lost display\n" << log;
    EXPECT_FALSE(fs::exists(dir.path + "/ScrTempFd")) << log;
    EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
}

INSTANTIATE_TEST_SUITE_P(KilledOrTerminated, ZeroDisplayLoss, ::testing::Values(SIGKILL, SIGTERM),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGKILL ? "Sigkill" : "Sigterm");
                         });

// With the mouse setting on, the pointer starts at the screen centre; 15 pixels away in x and y
// is tolerated, 16 in either is not. The pointer starts elsewhere, so the motion the window
// receives when it appears must not count as a movement.
class ZeroMouseMovement : public ZeroWindow, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ZeroMouseMovement, FifteenPixelsAreToleratedAndSixteenEndTheRun)
{
    writeSettings("mouse_on=1\r\ncamjump_vo=0\r\n");
    shell("xdotool mousemove 100 100");
    WindowInfo window = startAndWait();
    ASSERT_TRUE(waitForFocus(window.id, 10.0));
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    ASSERT_FALSE(zero.waitExit(0.0)) << "the run ended without a movement\n" << zero.stderrText();
    EXPECT_EQ(shell("xdotool getmouselocation --shell | head -2 | tr '\\n' ' '"), "X=960 Y=540 ");

    for (auto [dx, dy] : {std::pair{15, 0}, {0, 15}, {15, 15}, {-15, -15}, {-15, 15}}) {
        shell("xdotool mousemove " + std::to_string(960 + dx) + " " + std::to_string(540 + dy));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ASSERT_FALSE(zero.waitExit(0.0)) << "a movement of " << dx << ", " << dy << " ended the run";
    }
    auto [dx, dy] = GetParam();
    shell("xdotool mousemove " + std::to_string(960 + dx) + " " + std::to_string(540 + dy));
    ASSERT_TRUE(zero.waitExit(10.0)) << "a movement of " << dx << ", " << dy << " did not end the run";
    expectCleanShutdown();
}

INSTANTIATE_TEST_SUITE_P(SixteenPixels, ZeroMouseMovement,
                         ::testing::Values(std::pair{16, 0}, std::pair{0, 16}, std::pair{-16, 3}, std::pair{2, -16}),
                         [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
                             auto name = [](int v) { return (v < 0 ? "minus" : "") + std::to_string(std::abs(v)); };
                             return "x" + name(info.param.first) + "y" + name(info.param.second);
                         });

TEST_F(ZeroWindow, MissingGlDriverShowsOneGlewMessageAndEndsCleanly)
{
    const TempFolder empty("nodri");
    auto env = messagesToStderr();
    env["LIBGL_DRIVERS_PATH"] = empty.str();
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitExit(20.0));
    std::string err = zero.stderrText();
    size_t first = err.find("[ERROR] GLEW could not initialize!");
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("GLEW could not initialize!", first + 10), std::string::npos) << err;
    expectCleanShutdown();
}

static std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ZeroCapture, SameSeedGivesIdenticalFrames)
{
    ProgramDir dir;
    std::vector<std::string> runs;
    for (int run = 0; run < 2; ++run) {
        fs::path out = fs::path(dir.path + "-capture" + std::to_string(run));
        RunningProgram zero;
        auto env = messagesToStderr();
        env["ZERO_CAPTURE_DIR"] = out.string();
        env["ZERO_CAPTURE_FRAMES"] = "120,1";
        env["ZERO_SEED"] = "7";
        ASSERT_TRUE(zero.start(dir.path, "zero", env));
        ASSERT_TRUE(zero.waitExit(120.0)) << "capture run did not end after its last frame";
        EXPECT_EQ(zero.exitCode, 0) << zero.stderrText();
        ASSERT_TRUE(fs::exists(out / "frame-00001.png"));
        ASSERT_TRUE(fs::exists(out / "frame-00120.png"));
        EXPECT_FALSE(fs::exists(out / "frame-00002.png"));
        // The first frame is covered by the loading picture; by frame 120 it has faded out.
        auto first = readPng((out / "frame-00001.png").string());
        ASSERT_TRUE(first);
        auto centre = first->at(960, 540);
        EXPECT_GT(std::abs(centre[0] - 51) + std::abs(centre[1] - 102) + std::abs(centre[2] - 178), 60)
            << "no loading picture in the first frame";
        auto picture = readPng((out / "frame-00120.png").string());
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->width, 1920);
        EXPECT_EQ(picture->height, 1080);
        // By then the scene shows where the loading picture was.
        auto later = picture->at(960, 540);
        EXPECT_GT(std::abs(later[0] - centre[0]) + std::abs(later[1] - centre[1]) + std::abs(later[2] - centre[2]), 30);
        runs.push_back(fileBytes(out / "frame-00001.png") + fileBytes(out / "frame-00120.png"));
        fs::remove_all(out);
    }
    EXPECT_EQ(runs[0], runs[1]);
}

TEST(ZeroCapture, BadFrameListIsRefusedWithAMessage)
{
    ProgramDir dir;
    RunningProgram zero;
    auto env = messagesToStderr();
    env["ZERO_CAPTURE_DIR"] = dir.path + "/never";
    env["ZERO_CAPTURE_FRAMES"] = "1,x";
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitExit(10.0));
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_NE(zero.stderrText().find("ZERO_CAPTURE_FRAMES"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path + "/never"));
}

TEST(ZeroPack, MissingPackShowsOneMessageAndMakesNoFolder)
{
    ProgramDir dir;
    std::filesystem::remove(dir.path + "/data.res");
    // The program directory also holds the host and its help folder: only a new entry counts.
    const std::vector<std::string> before = dir.entries();
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero", messagesToStderr()));
    ASSERT_TRUE(zero.waitExit(20.0));
    EXPECT_EQ(zero.exitCode, 0);
    std::string err = zero.stderrText();
    size_t first = err.find("[ERROR] Res File Not Found!");
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_EQ(err.find("Res File Not Found!", first + 10), std::string::npos) << err;
    EXPECT_EQ(dir.entries(), before);
}

TEST(ZeroPack, TemporaryFolderIsGoneAfterSigterm)
{
    ProgramDir dir;
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero", messagesToStderr()));
    ASSERT_TRUE(waitForWindow(kTitle, 20.0)) << zero.stderrText();
    EXPECT_TRUE(fs::is_directory(dir.path + "/ScrTempFd")) << "the run made no temporary folder";
    ASSERT_TRUE(zero.waitForOutput(kRunningLine, 60.0)) << zero.stderrText();
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(2.0));
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_FALSE(fs::exists(dir.path + "/ScrTempFd"));
}
