// The engine with packs of our own making: a model whose texture map is a corrupt JPEG ends
// the process at once and still cleans up; a missing TGA map stops the run before its first
// frame with a clean shutdown; a missing shader source stops the run, a broken one is reported
// with the driver's log and the run goes on; in a lent window every message goes to the log.
#include "support/program_runner.h"

#include "assets/pack_format.h"
#include "jpeg_writer.h"
#include "model_writer.h"
#include "tga_writer.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

static Entries skyModelWithMap(const std::string& map)
{
    ModelDescription d;
    d.materials = {{"sky", {90, 140, 220}, map}};
    ObjectDescription o;
    o.name = "dome";
    o.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    o.texCoords = {0, 0, 1, 0, 0, 1};
    o.triangles = {0, 1, 2};
    o.groups = {{"sky", {0}}};
    d.objects = {o};
    std::string normals = normalsText(d);
    return {{"sky.3ds", encode3DS(d)}, {"nsky.3ds", {normals.begin(), normals.end()}}};
}

class ZeroAssets : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;

    void usePack(const Entries& entries, const std::vector<std::string>& replaced = {"sky.3ds", "nsky.3ds"})
    {
        fs::remove(fs::path(dir.path) / "data.res");
        Entries all = builtAssets(replaced);
        all.insert(all.end(), entries.begin(), entries.end());
        ASSERT_TRUE(writeFile(dir.path + "/data.res", buildPack(all)));
        // A changed gamma makes the restore observable in the log.
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\ngamma_vo=150\r\n";
    }
    void expectCleanedUp(const std::string& log)
    {
        EXPECT_NE(log.find("display gamma restored"), std::string::npos) << log;
        EXPECT_FALSE(fs::exists(dir.path + "/ScrTempFd")) << log;
    }
};

TEST_F(ZeroAssets, CorruptJpegMapEndsTheProcessAndStillCleansUp)
{
    Entries entries = skyModelWithMap("sky.jpg");
    entries.push_back({"sky.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 7, 7}});   // tables cut short
    usePack(entries);
    std::vector<std::string> before = dir.entries();
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}}));
    ASSERT_TRUE(zero.waitExit(60.0));
    std::string log = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_FALSE(zero.signalled) << log;
    EXPECT_NE(log.find("[ScrTempFd/sky.jpg] Error loading jpg file."), std::string::npos) << log;
    EXPECT_EQ(log.find("zero: running"), std::string::npos) << "no frame after the JPEG failure: " << log;
    expectCleanedUp(log);
    EXPECT_EQ(dir.entries(), before);
}

TEST_F(ZeroAssets, MissingTgaMapStopsTheRunBeforeItsFirstFrame)
{
    usePack(skyModelWithMap("clouds.tga"));
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}}));
    ASSERT_TRUE(zero.waitExit(60.0));
    std::string log = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_NE(log.find("[clouds.tga] RES NOT FOUND"), std::string::npos) << log;
    size_t tga = log.find("[ScrTempFd/clouds.tga] Error loading tga file.");
    EXPECT_NE(tga, std::string::npos) << log;
    EXPECT_NE(log.find("shutting down after 0 frames"), std::string::npos) << log;
    EXPECT_NE(log.find("shutdown complete"), std::string::npos) << log;
    expectCleanedUp(log);
}

TEST_F(ZeroAssets, MissingShaderSourceStopsTheRunWithItsMessage)
{
    usePack({}, {"terrain.frag"});
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}}));
    ASSERT_TRUE(zero.waitExit(60.0));
    std::string log = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_NE(log.find("[terrain.frag] RES NOT FOUND"), std::string::npos) << log;
    EXPECT_NE(log.find("terrain.frag is missing"), std::string::npos) << log;
    EXPECT_NE(log.find("[ERROR] Shaders not supported!"), std::string::npos) << log;
    EXPECT_NE(log.find("shutting down after 0 frames"), std::string::npos) << log;
    expectCleanedUp(log);
}

TEST_F(ZeroAssets, BrokenShaderIsReportedAndTheRunGoesOn)
{
    std::string broken = "void main() { gl_FragColor = vec4(1.0) + ; }\n";
    usePack({{"water.frag", {broken.begin(), broken.end()}}}, {"water.frag"});
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", "stderr"}, {"ZERO_CAPTURE_DIR", dir.path + "/frames"},
                                              {"ZERO_CAPTURE_FRAMES", "3"}}));
    ASSERT_TRUE(zero.waitExit(60.0));
    std::string log = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_NE(log.find("shader ScrTempFd/water.frag does not compile"), std::string::npos) << log;
    EXPECT_EQ(log.find("Shaders not supported!"), std::string::npos) << log;
    EXPECT_NE(log.find("shutting down after 3 frames"), std::string::npos) << log;
    expectCleanedUp(log);
}

// In a window a daemon lends nobody is there to click a box away: without ZERO_MESSAGES the
// messages still go to standard error, the daemon's log, and no box is tried. SDL shows its box
// through zenity where it finds one: the one on the engine's PATH here only notes that it ran.
TEST_F(ZeroAssets, InALentWindowMessagesGoToTheLogNotToABox)
{
    usePack({}, {"terrain.frag"});
    const TempFolder boxesFolder("boxes");
    const std::string boxes = boxesFolder.str();
    std::ofstream(boxes + "/zenity") << "#!/bin/sh\necho \"$*\" >> " << boxes << "/shown\n";
    fs::permissions(boxes + "/zenity", fs::perms::owner_all);
    RunningProgram pane;
    ASSERT_TRUE(pane.start("/", "/usr/bin/xev", {}, {"-geometry", "160x120", "-name", "QuelmMessagePane"}));
    auto window = waitForWindow("QuelmMessagePane", 10.0);
    ASSERT_TRUE(window) << displayReport();
    const char* path = std::getenv("PATH");
    ASSERT_TRUE(zero.start(dir.path, "zero", {{"ZERO_MESSAGES", ""}, {"XSCREENSAVER_WINDOW", window->id},
                                              {"PATH", boxes + ":" + (path ? path : "/usr/bin:/bin")}}));
    ASSERT_TRUE(zero.waitExit(60.0)) << zero.stderrText();
    const std::string log = zero.stderrText();
    const bool boxShown = fs::exists(boxes + "/shown");
    fs::remove_all(boxes);
    EXPECT_FALSE(boxShown) << "a box was tried";
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_NE(log.find("[terrain.frag] RES NOT FOUND"), std::string::npos) << log;
    EXPECT_NE(log.find("[ERROR] Shaders not supported!"), std::string::npos) << log;
    EXPECT_NE(log.find("shutdown complete"), std::string::npos) << log;
    EXPECT_FALSE(fs::exists(dir.path + "/ScrTempFd")) << log;
}
