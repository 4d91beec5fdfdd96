#include "base/view_size.h"

#include <gtest/gtest.h>

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
