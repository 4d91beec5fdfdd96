#include "base/messages.h"

#include <gtest/gtest.h>
#include <cstdlib>
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
