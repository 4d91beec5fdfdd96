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

#include "support/temp_folder.h"
#include "support/x_screen.h"

// A fresh folder that mirrors the built program directory (its entries linked), removed on
// destruction with any process still working in it (an engine the host started detached, left
// behind by a test that stopped early, would cover the screen for the tests after it).
struct ProgramDir {
private:
    TempFolder folder_{"program"};   // declared first: made before path names it, removed last
public:
    std::string path;
    ProgramDir();
    ~ProgramDir();
    ProgramDir(const ProgramDir&) = delete;
    ProgramDir& operator=(const ProgramDir&) = delete;
    // The names left in the folder, sorted.
    std::vector<std::string> entries() const;
};

// A private config home (for XDG_CONFIG_HOME) whose Path file names a program directory, readable
// by anyone (a test may run the host as another user), removed with everything in it.
struct ConfigHome {
private:
    TempFolder folder_{"config"};
public:
    std::string path;
    explicit ConfigHome(const std::string& programDir);
    // The host's environment for it, messages on standard error.
    std::map<std::string, std::string> env() const { return {{"XDG_CONFIG_HOME", path}, {"ZERO_MESSAGES", "stderr"}}; }
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
