#include "base/numeric.h"

#include <gtest/gtest.h>
#include <climits>
#include <limits>
#include <set>

TEST(RandomInRange, StaysInsideAndCoversTheRange)
{
    seedRandom(12345);
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        int v = randomInRange(3, 9);
        ASSERT_GE(v, 3);
        ASSERT_LE(v, 9);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 7u);
}

TEST(RandomInRange, SingleValueAndEmptyRange)
{
    seedRandom(1);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(randomInRange(4, 4), 4);
    // A path of fewer than three waypoints asks for (0, negative): no division by zero.
    EXPECT_EQ(randomInRange(0, -2), 0);
}

TEST(RandomInRange, SameSeedSameSequence)
{
    seedRandom(77);
    int a[5];
    for (int& v : a) v = nextRandom();
    seedRandom(77);
    for (int v : a) EXPECT_EQ(nextRandom(), v);
    for (int i = 0; i < 1000; ++i) {
        int r = nextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32767);
    }
}

TEST(Angles, RoundTrip)
{
    EXPECT_NEAR(degToRad(180.0f), 3.14159265f, 1e-6);
    EXPECT_NEAR(radToDeg(degToRad(37.5f)), 37.5f, 1e-4);
}

TEST(SaturatingInt, TruncatesLikeTheCastInsideIntsRange)
{
    EXPECT_EQ(saturatingInt(79.2f), 79);
    EXPECT_EQ(saturatingInt(99.0f), 99);
    EXPECT_EQ(saturatingInt(0.99f * 80.0f), static_cast<int>(0.99f * 80.0f));
    EXPECT_EQ(saturatingInt(-3.7f), -3);
    EXPECT_EQ(saturatingInt(0.0f), 0);
    EXPECT_EQ(saturatingInt(2147483520.0f), 2147483520);     // the largest float below 2^31
    EXPECT_EQ(saturatingInt(-2147483648.0f), INT_MIN);
}

TEST(SaturatingInt, SaturatesBeyondItAndGivesZeroForNaN)
{
    EXPECT_EQ(saturatingInt(2147483648.0f), INT_MAX);
    EXPECT_EQ(saturatingInt(3.4e9f), INT_MAX);
    EXPECT_EQ(saturatingInt(std::numeric_limits<float>::infinity()), INT_MAX);
    EXPECT_EQ(saturatingInt(-2147483904.0f), INT_MIN);   // the next float below -2^31
    EXPECT_EQ(saturatingInt(-std::numeric_limits<float>::infinity()), INT_MIN);
    EXPECT_EQ(saturatingInt(std::numeric_limits<float>::quiet_NaN()), 0);
}
