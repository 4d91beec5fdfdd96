#include "base/capture.h"

#include <gtest/gtest.h>

TEST(CaptureConfig, UnsetMeansInactive)
{
    std::string error;
    auto config = parseCaptureConfig(nullptr, nullptr, nullptr, error);
    ASSERT_TRUE(config);
    EXPECT_FALSE(config->active);
    EXPECT_FALSE(config->seed);
}

TEST(CaptureConfig, ParsesSortedUniqueFramesAndSeed)
{
    std::string error;
    auto config = parseCaptureConfig("/tmp/x", "30,2,30,7", "42", error);
    ASSERT_TRUE(config) << error;
    EXPECT_TRUE(config->active);
    EXPECT_EQ(config->frames, (std::vector<uint64_t>{2, 7, 30}));
    EXPECT_EQ(config->seed, 42u);
    auto byDefault = parseCaptureConfig("/tmp/x", nullptr, nullptr, error);
    ASSERT_TRUE(byDefault);
    EXPECT_EQ(byDefault->frames, (std::vector<uint64_t>{1}));
}

TEST(CaptureConfig, RejectsBadInput)
{
    std::string error;
    for (const char* frames : {"", "1,,2", "0", "a", "-3", "1,2,"}) {
        error.clear();
        EXPECT_FALSE(parseCaptureConfig("/tmp/x", frames, nullptr, error)) << frames;
        EXPECT_NE(error.find("ZERO_CAPTURE_FRAMES"), std::string::npos);
    }
    EXPECT_FALSE(parseCaptureConfig(nullptr, nullptr, "12x", error));
    EXPECT_FALSE(parseCaptureConfig(nullptr, nullptr, "4294967296", error));
    EXPECT_FALSE(parseCaptureConfig("", nullptr, nullptr, error));
}

TEST(CaptureConfig, FileNames)
{
    EXPECT_EQ(captureFileName(1), "frame-00001.png");
    EXPECT_EQ(captureFileName(123456), "frame-123456.png");
}

TEST(CaptureConfig, StartSegmentIsAWholeNumberWithinThePathTable)
{
    std::string error;
    CaptureConfig config;
    EXPECT_TRUE(parseStartSegment(nullptr, config, error));
    EXPECT_FALSE(config.startSegment.has_value());
    EXPECT_TRUE(parseStartSegment("40", config, error));
    EXPECT_EQ(config.startSegment, 40);
    for (const char* bad : {"", "-1", "2000", "4x", " 3"}) {
        CaptureConfig other;
        EXPECT_FALSE(parseStartSegment(bad, other, error)) << bad;
        EXPECT_NE(error.find("ZERO_CAPTURE_SEGMENT"), std::string::npos);
        EXPECT_FALSE(other.startSegment.has_value());
    }
}
