// Helpers for program-level tests: a private program directory, the engine started in it,
// its window found, input sent, screenshots taken and read, and its end observed.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// A fresh folder that mirrors the built program directory (its entries linked), removed on
// destruction with any process still working in it (an engine the host started detached, left
// behind by a test that stopped early, would cover the screen for the tests after it).
struct ProgramDir {
    std::string path;
    ProgramDir();
    ~ProgramDir();
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;
    // The names left in the folder, sorted.
    std::vector<std::string> entries() const;
};

// The files the build generated for the pack (name, bytes), except those named in leaveOut:
// tests that place a pack of their own start from these so the engine finds its other assets.
std::vector<std::pair<std::string, std::vector<uint8_t>>> builtAssets(const std::vector<std::string>& leaveOut = {});

struct RunningProgram {
    pid_t pid = -1;
    pid_t group = -1;      // the process group it leads, with whatever it started
    std::string stderrPath;
    int exitCode = -1;     // set by waitExit
    bool signalled = false;

    // Starts program (a name inside dir, or an absolute path) with the folder as working directory,
    // extra environment and arguments.
    bool start(const std::string& dir, const std::string& program,
               const std::map<std::string, std::string>& env = {}, const std::vector<std::string>& args = {});
    // Waits for the process to end; false on time-out. waitExit(0) tells whether it has ended.
    bool waitExit(double seconds);
    void signal(int sig);
    std::string stderrText() const;
    // Waits until the program's standard error holds the text; false on time-out or exit.
    bool waitForOutput(const std::string& text, double seconds);
    ~RunningProgram();
};

// An X server of the test's own (Xvfb, 1920 × 1080 × 24, as the test script starts), for a run
// that must not share the display: one whose server the test takes away.
struct PrivateXServer {
    pid_t pid = -1;
    std::string display;   // ":N", for DISPLAY
    // Starts the server and waits until it names its display; false when it does not come up.
    bool start(double seconds = 20.0);
    void signal(int sig);
    // Waits for the server to end (after signal); false on time-out.
    bool waitExit(double seconds);
    ~PrivateXServer();
};

// The environment that makes the engine fly a known stretch of the flight (a fixed seed and first
// segment) with sky at the top of the view for the whole first minute: for tests that judge the
// live picture, which otherwise starts anywhere, close by the peak's rock too.
std::map<std::string, std::string> knownFlight();

// A process's processor time so far (user and system, all its threads), in seconds, from /proc.
double processorSeconds(pid_t pid);

// Runs a shell command and returns its standard output (and the exit status through status).
std::string shell(const std::string& command, int* status = nullptr);

// The display the tests use (DISPLAY), whether its server answers, and for each process of each
// program started and not yet ended, how many connections it holds to that server: the words a
// test prints when a window it waits for does not come.
std::string displayReport();

struct WindowInfo {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
    std::string id;
};
// Waits until a window of that name is mapped and viewable.
std::optional<WindowInfo> waitForWindow(const std::string& name, double seconds);
// Waits until the window (hex id) is viewable at that size (a window that grows as it opens);
// its place and size then.
std::optional<WindowInfo> waitForWindowSize(const std::string& windowId, int width, int height, double seconds);
// Waits until the window (hex id) has the keyboard focus, so that key presses reach it.
bool waitForFocus(const std::string& windowId, double seconds);
// How many windows of that name exist now.
int countWindows(const std::string& name);

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;   // rows top first
    std::array<int, 3> at(int x, int y) const;
};
std::optional<Picture> readPng(const std::string& path);
// A screenshot of the whole display, read back.
std::optional<Picture> screenshot(const std::string& path);

// The red ramp of the window's colormap (hex id), as the display applies it to the window; empty
// when the window has no DirectColor visual or the display cannot be opened.
std::vector<int> windowRedRamp(const std::string& windowId);
