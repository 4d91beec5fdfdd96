// The Wayland program tests' fixture: a program directory, the engine started on one output of a
// headless sway, its clean end checked, the host's config home.
#pragma once

#include "base/gamma.h"
#include "support/sway_session.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

static constexpr const char* kFadedLine = "zero: loading picture faded out";
static constexpr const char* kLayerLine = "wayland: a layer surface on ";

class ZeroWayland : public ::testing::Test {
protected:
    ProgramDir dir;
    std::vector<std::string> before = dir.entries();

    void SetUp() override
    {
        if (!SwaySession::installed()) GTEST_SKIP() << "sway, grim or wtype is not installed";
    }

    void writeSettings(const std::string& lines)
    {
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\n" << lines;
        before = dir.entries();
    }

    // The engine on one output of that sway, with DISPLAY taken away: no X server to fall back on.
    bool startEngine(RunningProgram& zero, const SwaySession& sway, const std::string& output,
                     std::map<std::string, std::string> env = {})
    {
        env.merge(sway.clientEnv());
        env["ZERO_MESSAGES"] = "stderr";
        env["SDL_AUDIODRIVER"] = "dummy";
        return zero.start(dir.path, "/usr/bin/env", env, {"-u", "DISPLAY", "./zero", "--output", output});
    }

    void expectCleanShutdown(RunningProgram& zero)
    {
        const std::string log = zero.stderrText();
        EXPECT_EQ(zero.exitCode, 0) << log;
        EXPECT_FALSE(zero.signalled) << log;
        EXPECT_NE(log.find("zero: shutdown complete"), std::string::npos) << log;
        EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory (its temporary folder?)";
    }

    std::string shotPath(const std::string& name) const { return dir.path + "-" + name + ".png"; }

    // A private config home whose Path file names the test's program directory, so that the host's
    // files go there and never into the build's.
    ConfigHome configHome() const { return ConfigHome(dir.path); }
};
