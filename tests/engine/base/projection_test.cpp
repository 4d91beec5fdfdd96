#include "base/projection.h"

#include <gtest/gtest.h>

TEST(OverlayProjection, MapsScreenCornersToClipCorners)
{
    Matrix4 m = overlayMatrix(1920, 1080);
    auto bottomLeft = projectPoint(m, 0, 0, 0);
    auto topRight = projectPoint(m, 1920, 1080, 0);
    auto centre = projectPoint(m, 960, 540, 0);
    EXPECT_FLOAT_EQ(bottomLeft[0], -1.0f);
    EXPECT_FLOAT_EQ(bottomLeft[1], -1.0f);
    EXPECT_FLOAT_EQ(topRight[0], 1.0f);
    EXPECT_FLOAT_EQ(topRight[1], 1.0f);
    EXPECT_NEAR(centre[0], 0.0f, 1e-6);
    EXPECT_NEAR(centre[1], 0.0f, 1e-6);
}

TEST(OverlayProjection, DepthRangeIsMinus100To100)
{
    Matrix4 m = overlayMatrix(800, 600);
    // glOrtho maps z = -near to -1 and z = -far to +1.
    EXPECT_FLOAT_EQ(m[10] * 100.0f + m[14], -1.0f);
    EXPECT_FLOAT_EQ(m[10] * -100.0f + m[14], 1.0f);
}

TEST(Viewport, ZeroHeightBecomesOne)
{
    ViewportSize v = viewportFor(1024, 0);
    EXPECT_EQ(v.width, 1024);
    EXPECT_EQ(v.height, 1);
    EXPECT_DOUBLE_EQ(v.aspect, 1024.0);
    ViewportSize full = viewportFor(1920, 1080);
    EXPECT_EQ(full.height, 1080);
    EXPECT_DOUBLE_EQ(full.aspect, 1920.0 / 1080.0);
}
