#include "base/view_size.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ViewSize, OnePlaceForTheSizeAndItsHalves)
{
    setViewSize(1920, 1080);
    EXPECT_EQ(viewSize().width, 1920);
    EXPECT_EQ(viewSize().height, 1080);
    EXPECT_EQ(viewSize().halfWidth(), 960);
    EXPECT_EQ(viewSize().halfHeight(), 540);
    // A window of another size, as a foreign window would be.
    setViewSize(151, 113);
    EXPECT_EQ(viewSize().width, 151);
    EXPECT_EQ(viewSize().halfWidth(), 75);
    EXPECT_EQ(viewSize().halfHeight(), 56);
    setViewSize(-4, 0);
    EXPECT_EQ(viewSize().width, 0);
    EXPECT_EQ(viewSize().height, 0);
}

// The overlays are laid out in points: a doubled or fractionally scaled output gives them the same
// size on the screen, and a scale that makes no sense is no scale.
TEST(ViewSize, OverlaysAreLaidOutInPoints)
{
    struct Case {
        int width, height;
        double scale;
        int overlayWidth, overlayHeight;
        double keptScale;
    };
    const Case cases[] = {
        {1280, 720, 1.0, 1280, 720, 1.0},   {2560, 1440, 2.0, 1280, 720, 2.0},
        {1920, 1080, 1.5, 1280, 720, 1.5},  {2000, 1125, 1.25, 1600, 900, 1.25},
        {1280, 720, 0.5, 1280, 720, 1.0},   {1280, 720, std::nan(""), 1280, 720, 1.0},
        {3, 3, 2.0, 2, 2, 2.0},
    };
    for (const Case& c : cases) {
        setViewSize(c.width, c.height, c.scale);
        EXPECT_EQ(viewSize().overlayWidth(), c.overlayWidth) << c.width << " at " << c.scale;
        EXPECT_EQ(viewSize().overlayHeight(), c.overlayHeight) << c.height << " at " << c.scale;
        EXPECT_EQ(viewSize().scale, c.keptScale);
        EXPECT_EQ(viewSize().width, c.width);   // the 3D view keeps every pixel
    }
    setViewSize(1920, 1080);
    EXPECT_EQ(viewSize().scale, 1.0);
}
