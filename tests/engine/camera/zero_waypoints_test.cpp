// The engine with packs of its own making: a path of count 0 runs without a message, and a pack
// without "wp.dat" reports it and ends before the first frame with a clean shutdown.
#include "assets/pack_format.h"
#include "support/program_runner.h"
#include "waypoints/wp_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// Replaces the program directory's link to the built pack with a pack of these entries.
static void placePack(const ProgramDir& dir, const Entries& entries)
{
    fs::path pack = fs::path(dir.path) / "data.res";
    fs::remove(pack);
    // The build's other assets, so that only the path differs from a normal run.
    Entries all = builtAssets({"wp.dat"});
    all.insert(all.end(), entries.begin(), entries.end());
    std::vector<uint8_t> bytes = buildPack(all);
    std::ofstream(pack, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

static size_t occurrences(const std::string& text, const std::string& what)
{
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

class ZeroWaypoints : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;
    fs::path captures = fs::path(dir.path + "-frames");

    void TearDown() override { fs::remove_all(captures); }

    void runCapture(int frames)
    {
        std::vector<std::string> before = dir.entries();
        ASSERT_TRUE(zero.start(dir.path, "zero",
                               {{"ZERO_MESSAGES", "stderr"},
                                {"ZERO_CAPTURE_DIR", captures.string()},
                                {"ZERO_CAPTURE_FRAMES", std::to_string(frames)},
                                {"ZERO_SEED", "3"}}));
        ASSERT_TRUE(zero.waitExit(30.0)) << zero.stderrText();
        EXPECT_EQ(zero.exitCode, 0);
        EXPECT_FALSE(zero.signalled);
        EXPECT_NE(zero.stderrText().find("shutdown complete"), std::string::npos) << zero.stderrText();
        EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
    }
};

TEST_F(ZeroWaypoints, CountZeroPathRunsWithoutAMessage)
{
    placePack(dir, {{"wp.dat", encodeWaypointFile({})}});
    runCapture(2);
    std::string err = zero.stderrText();
    // Models the build does not make yet are missing; the path itself raises no message.
    EXPECT_EQ(err.find("[wp.dat]"), std::string::npos) << err;
    EXPECT_EQ(err.find("WP file"), std::string::npos) << err;
    EXPECT_NE(err.find("shutting down after 2 frames"), std::string::npos) << err;
}

TEST_F(ZeroWaypoints, FourWaypointPathRunsItsFrames)
{
    std::vector<Waypoint> path;
    for (int i = 0; i < 4; ++i) path.push_back({static_cast<float>(i), 5.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f});
    placePack(dir, {{"wp.dat", encodeWaypointFile(path)}});
    runCapture(5);
    std::string err = zero.stderrText();
    EXPECT_EQ(err.find("[wp.dat]"), std::string::npos) << err;
    EXPECT_EQ(err.find("WP file"), std::string::npos) << err;
    EXPECT_NE(err.find("shutting down after 5 frames"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(captures / "frame-00005.png"));
}

TEST_F(ZeroWaypoints, MissingPathIsReportedAndNoFrameIsDrawn)
{
    placePack(dir, {{"readme.txt", {'x'}}});
    runCapture(2);
    std::string err = zero.stderrText();
    EXPECT_EQ(occurrences(err, "[wp.dat] RES NOT FOUND\n"), 1u) << err;
    EXPECT_EQ(occurrences(err, "[ERROR] Error loading WP file.\n"), 1u) << err;
    EXPECT_LT(err.find("RES NOT FOUND"), err.find("Error loading WP file.")) << err;
    EXPECT_NE(err.find("shutting down after 0 frames"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(captures / "frame-00001.png"));
}
