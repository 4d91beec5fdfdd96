// The engine in a window whose size is not the desktop's: the window is resized while the run
// starts, and the scene, the sea's images and the overlays follow the one view size. The frame
// captured at the new size, halved, is close to the scene's reference (made full-screen).
#include "support/program_runner.h"

#include <gtest/gtest.h>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

static constexpr int kFrame = 130;      // the scene references' frame
static constexpr int kSegment = 12;
static constexpr int kViewWidth = 960, kViewHeight = 540;

// Box-filtered to 1/factor of the size in each direction.
static Picture shrunk(const Picture& p, int factor)
{
    Picture small;
    small.width = p.width / factor;
    small.height = p.height / factor;
    small.rgb.resize(static_cast<size_t>(small.width) * small.height * 3);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += p.rgb[(static_cast<size_t>(y * factor + dy) * p.width + x * factor + dx) * 3 + c];
                small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + c] = static_cast<uint8_t>(sum / (factor * factor));
            }
    return small;
}

// Mean absolute difference over all channels of the rows from..to (top first).
static double meanDifference(const Picture& a, const Picture& b, int fromRow, int toRow)
{
    double total = 0;
    size_t count = 0;
    for (int y = fromRow; y < toRow; ++y)
        for (int x = 0; x < a.width; ++x)
            for (int c = 0; c < 3; ++c) {
                total += std::abs(a.at(x, y)[c] - b.at(x, y)[c]);
                ++count;
            }
    return total / static_cast<double>(count);
}

class ZeroView : public ::testing::TestWithParam<bool> {};

TEST_P(ZeroView, FollowsAWindowResizedToHalfTheDesktop)
{
    const bool copyPath = GetParam();
    ProgramDir dir;
    std::ofstream(dir.path + "/controls.cfg") << "[FullScreen behaviour Control]\nclock_on=1\nfpsch_on=0\ncamjump_vo=0\n";
    const std::string frames = dir.path + "/frames";
    std::map<std::string, std::string> env = {{"ZERO_MESSAGES", "stderr"},
                                              {"ZERO_CAPTURE_DIR", frames},
                                              {"ZERO_CAPTURE_FRAMES", std::to_string(kFrame)},
                                              {"ZERO_SEED", "7"},
                                              {"ZERO_CAPTURE_SEGMENT", std::to_string(kSegment)}};
    if (copyPath) env["ZERO_NO_FBO"] = "1";
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    // Resized as soon as it shows: the size change waits in the queue while start-up loads.
    std::optional<WindowInfo> window = waitForWindow("Window", 20.0);
    ASSERT_TRUE(window) << zero.stderrText();
    shell("xdotool windowsize " + window->id + " " + std::to_string(kViewWidth) + " " + std::to_string(kViewHeight));
    ASSERT_TRUE(zero.waitExit(240)) << zero.stderrText();
    ASSERT_EQ(zero.exitCode, 0) << zero.stderrText();
    const std::string log = zero.stderrText();
    EXPECT_NE(log.find("zero: the view is now 960 x 540"), std::string::npos) << log;

    char name[40];
    std::snprintf(name, sizeof name, "/frame-%05d.png", kFrame);
    std::optional<Picture> frame = readPng(frames + name);
    ASSERT_TRUE(frame) << log;
    ASSERT_EQ(frame->width, kViewWidth) << "the capture did not follow the view\n" << log;
    ASSERT_EQ(frame->height, kViewHeight);

    // The clock sits at the view's lower right: 192 pixels from its right edge, 5 up, 40 high.
    int lit = 0;
    for (int y = kViewHeight - 45; y < kViewHeight - 5; ++y)
        for (int x = kViewWidth - 192; x < kViewWidth - 20; ++x) {
            auto c = frame->at(x, y);
            lit += c[0] > 235 && c[1] > 235 && c[2] > 235;
        }
    EXPECT_GT(lit, 200) << "no clock at the view's lower right";

    // Above the clock's rows the frame is the scene as the full-screen reference shows it.
    Picture small = shrunk(*frame, 2);
    std::optional<Picture> reference =
        readPng((fs::path(QUELM_REFERENCE_DIR) / ("scene-" + std::to_string(kSegment) + ".png")).string());
    ASSERT_TRUE(reference);
    ASSERT_EQ(reference->width, small.width);
    double mean = meanDifference(small, *reference, 0, small.height - 30);
    EXPECT_LT(mean, 3.0) << (copyPath ? "copy path" : "framebuffers");
    std::printf("mean difference from the reference: %.2f\n", mean);
}

INSTANTIATE_TEST_SUITE_P(SeaImages, ZeroView, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "CopyPath" : "Framebuffers");
                         });
