#include "base/messages.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>

static std::string g_shown;
static bool g_boxWorks = true;

static bool recordingBox(const char* text, const char* caption)
{
    g_shown += std::string(caption) + ":" + text + ";";
    return g_boxWorks;
}

class Messages : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("ZERO_MESSAGES");
        g_shown.clear();
        g_boxWorks = true;
    }
    void TearDown() override
    {
        setMessageBox(nullptr);
        setFatalMessageHook(nullptr);
    }
};

TEST_F(Messages, WithoutABoxTheyGoToStandardError)
{
    testing::internal::CaptureStderr();
    showMessage("Res File Not Found!", "ERROR");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] Res File Not Found!\n");
}

TEST_F(Messages, TheInstalledBoxShowsThem)
{
    setMessageBox(recordingBox);
    testing::internal::CaptureStderr();
    showMessage("BASS could not load file", "BASS Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(g_shown, "BASS Error:BASS could not load file;");
}

TEST_F(Messages, ABoxThatCannotShowFallsBackToStandardError)
{
    setMessageBox(recordingBox);
    g_boxWorks = false;
    testing::internal::CaptureStderr();
    showMessage("File Not Found!", "ERROR");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] File Not Found!\n");
}

TEST_F(Messages, ZeroMessagesStderrBypassesTheBox)
{
    setMessageBox(recordingBox);
    setenv("ZERO_MESSAGES", "stderr", 1);
    testing::internal::CaptureStderr();
    showMessage("Shaders not supported!", "ERROR");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] Shaders not supported!\n");
    EXPECT_EQ(g_shown, "");
    unsetenv("ZERO_MESSAGES");
}

// The hook stops the run before the box, which blocks: it must see nothing shown yet, and learn
// whether the failure wants the pointer.
TEST_F(Messages, TheFatalHookRunsBeforeTheBoxWithItsPointer)
{
    static std::string seen;
    seen.clear();
    setMessageBox(recordingBox);
    setFatalMessageHook([](FailurePointer pointer) {
        seen += (pointer == FailurePointer::Shown ? "shown" : "unchanged") + std::string("|") + g_shown + ";";
    });
    showFatalMessage("Res File Not Found!", "ERROR", FailurePointer::Shown);
    showFatalMessage("Error loading WP file.", "ERROR", FailurePointer::Unchanged);
    showMessage("RES NOT FOUND", "wp.dat");   // not fatal: no hook
    EXPECT_EQ(seen, "shown|;unchanged|ERROR:Res File Not Found!;;");
    EXPECT_EQ(g_shown, "ERROR:Res File Not Found!;ERROR:Error loading WP file.;wp.dat:RES NOT FOUND;");
}

TEST_F(Messages, AFatalMessageWithoutAHookIsStillShown)
{
    testing::internal::CaptureStderr();
    showFatalMessage("Shaders not supported!", "ERROR", FailurePointer::Unchanged);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[ERROR] Shaders not supported!\n");
}

TEST_F(Messages, LogLinesArePrefixed)
{
    testing::internal::CaptureStderr();
    logLine("camera starts at segment %d", 7);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "zero: camera starts at segment 7\n");
}

// Engines on several monitors share one log (the idle watcher's or the daemon's standard error):
// two processes writing lines into one pipe at once must never mix parts of their lines.
TEST_F(Messages, LogLinesOfTwoProcessesSharingALogNeverMix)
{
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    constexpr int kLines = 3000;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            dup2(pipeEnds[1], STDERR_FILENO);
            close(pipeEnds[0]);
            for (int i = 0; i < kLines; ++i) logLine("child %d line %d: %s", child, i, "the flight takes up where it was");
            _exit(0);
        }
    }
    close(pipeEnds[1]);
    std::string text;
    char chunk[4096];
    for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(got));
    close(pipeEnds[0]);
    for (pid_t child : children) waitpid(child, nullptr, 0);

    const std::regex whole("zero: child [01] line [0-9]+: the flight takes up where it was");
    std::istringstream lines(text);
    int count = 0, broken = 0;
    std::string first;
    for (std::string line; std::getline(lines, line); ++count)
        if (!std::regex_match(line, whole) && broken++ == 0) first = line;
    EXPECT_EQ(count, 2 * kLines);
    EXPECT_EQ(broken, 0) << "the first mixed line: " << first;
}
