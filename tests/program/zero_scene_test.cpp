// The whole scene as the engine renders it in capture mode at six places along the flight on
// the framebuffer path, and at two of them on the copy path: every pixel drawn (none left in the clear colour),
// two consecutive frames alike, and each frame close to its reviewed reference picture.
// QUELM_UPDATE_REFERENCES=1 writes the references from this run instead of comparing.
#include "support/program_runner.h"

#include "base/png_writer.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

static constexpr int kScale = 4;                     // 1920 × 1080 compared at 480 × 270
static constexpr std::array<int, 3> kClearColour = {51, 102, 178};
static constexpr int kFrame = 130;                  // well after the loading picture has faded

// Box-filtered to a quarter of the size in each direction.
static Picture downscaled(const Picture& p)
{
    Picture small;
    small.width = p.width / kScale;
    small.height = p.height / kScale;
    small.rgb.resize(static_cast<size_t>(small.width) * small.height * 3);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < kScale; ++dy)
                    for (int dx = 0; dx < kScale; ++dx)
                        sum += p.rgb[(static_cast<size_t>(y * kScale + dy) * p.width + x * kScale + dx) * 3 + c];
                small.rgb[(static_cast<size_t>(y) * small.width + x) * 3 + c] = static_cast<uint8_t>(sum / (kScale * kScale));
            }
    return small;
}

struct Difference {
    double mean = 0;        // mean absolute difference over all channels
    double farShare = 0;    // share of pixels with a channel more than 48 apart
};

static Difference compare(const Picture& a, const Picture& b)
{
    Difference d;
    size_t pixels = a.rgb.size() / 3, far = 0;
    double total = 0;
    for (size_t i = 0; i < pixels; ++i) {
        int most = 0;
        for (int c = 0; c < 3; ++c) {
            int diff = std::abs(a.rgb[i * 3 + c] - b.rgb[i * 3 + c]);
            total += diff;
            most = std::max(most, diff);
        }
        if (most > 48) ++far;
    }
    d.mean = total / static_cast<double>(a.rgb.size());
    d.farShare = static_cast<double>(far) / static_cast<double>(pixels);
    return d;
}

static size_t clearColourPixels(const Picture& p)
{
    size_t count = 0;
    for (size_t i = 0; i + 2 < p.rgb.size(); i += 3)
        if (std::abs(p.rgb[i] - kClearColour[0]) <= 1 && std::abs(p.rgb[i + 1] - kClearColour[1]) <= 1 &&
            std::abs(p.rgb[i + 2] - kClearColour[2]) <= 1)
            ++count;
    return count;
}

struct ScenePoint {
    int segment;
    bool copyPath;
};

class ZeroScene : public ::testing::TestWithParam<ScenePoint> {};

TEST_P(ZeroScene, RendersTheWholeViewCloseToItsReference)
{
    const ScenePoint point = GetParam();
    ProgramDir dir;
    // No clock, no frame rate, no timed jump: the frame is a function of the place on the path.
    std::ofstream(dir.path + "/controls.cfg")
        << "[FullScreen behaviour Control]\nclock_on=0\nfpsch_on=0\ncamjump_vo=0\n";
    const std::string frames = dir.path + "/frames";
    std::map<std::string, std::string> env = {{"ZERO_CAPTURE_DIR", frames},
                                              {"ZERO_CAPTURE_FRAMES", std::to_string(kFrame) + "," + std::to_string(kFrame + 1)},
                                              {"ZERO_SEED", "7"},
                                              {"ZERO_CAPTURE_SEGMENT", std::to_string(point.segment)}};
    if (point.copyPath) env["ZERO_NO_FBO"] = "1";
    RunningProgram zero;
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitExit(240)) << zero.stderrText();
    ASSERT_EQ(zero.exitCode, 0) << zero.stderrText();
    const std::string log = zero.stderrText();
    EXPECT_EQ(log.find("does not compile"), std::string::npos) << log;
    EXPECT_EQ(log.find("incomplete"), std::string::npos) << log;

    char name[40];
    std::snprintf(name, sizeof name, "/frame-%05d.png", kFrame);
    std::optional<Picture> frame = readPng(frames + name);
    std::snprintf(name, sizeof name, "/frame-%05d.png", kFrame + 1);
    std::optional<Picture> next = readPng(frames + name);
    ASSERT_TRUE(frame && next) << log;
    ASSERT_EQ(frame->width, 1920);
    ASSERT_EQ(frame->height, 1080);

    // Sky dome above, sea below, islands between: nothing may show the clear colour through.
    EXPECT_EQ(clearColourPixels(*frame), 0u);
    EXPECT_EQ(clearColourPixels(*next), 0u);

    Picture small = downscaled(*frame);
    // One frame later the camera has barely moved and the sea has barely changed: no flicker.
    Difference step = compare(small, downscaled(*next));
    EXPECT_LT(step.mean, 6.0) << "segment " << point.segment;
    EXPECT_LT(step.farShare, 0.03) << "segment " << point.segment;

    const fs::path reference = fs::path(QUELM_REFERENCE_DIR) / ("scene-" + std::to_string(point.segment) + ".png");
    const char* update = std::getenv("QUELM_UPDATE_REFERENCES");
    if (update && std::string(update) == "1" && !point.copyPath) {
        ASSERT_TRUE(writePngRgb(reference.string(), small.rgb.data(), small.width, small.height));
        return;
    }
    std::optional<Picture> expected = readPng(reference.string());
    ASSERT_TRUE(expected) << "no reference " << reference;
    ASSERT_EQ(expected->width, small.width);
    Difference d = compare(small, *expected);
    EXPECT_LT(d.mean, 4.0) << "segment " << point.segment;
    EXPECT_LT(d.farShare, 0.02) << "segment " << point.segment;
    if (d.mean >= 4.0 || d.farShare >= 0.02) {
        fs::path kept = fs::current_path() / ("scene-" + std::to_string(point.segment) + (point.copyPath ? "-copy" : "") + ".png");
        writePngRgb(kept.string(), small.rgb.data(), small.width, small.height);
        ADD_FAILURE() << "this run's picture is in " << kept;
    }
}

static std::vector<ScenePoint> scenePoints()
{
    std::vector<ScenePoint> points;
    // Six places on the framebuffer path: the ship close by, the island from the sea, two beaches,
    // the mountain, the ship from the shore. The copy path draws the same scene through other
    // steps: two places (the ship's reflection, a beach) tell whether it does.
    for (int segment : {0, 12, 48, 60, 72, 84}) points.push_back({segment, false});
    for (int segment : {0, 60}) points.push_back({segment, true});
    return points;
}

INSTANTIATE_TEST_SUITE_P(Flight, ZeroScene, ::testing::ValuesIn(scenePoints()),
                         [](const ::testing::TestParamInfo<ScenePoint>& info) {
                             return std::string(info.param.copyPath ? "CopyPath" : "Framebuffers") + "Segment" +
                                    std::to_string(info.param.segment);
                         });
