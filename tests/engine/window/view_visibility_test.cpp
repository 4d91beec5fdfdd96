// The X11 view's visibility: covered or a dark monitor means nobody sees it; the monitor is asked
// at most twice a second.
#include "window/view_visibility.h"

#include <gtest/gtest.h>

TEST(ViewVisibility, CoveredOrAPoweredDownMonitorHidesTheViewAndTheMonitorIsAskedTwiceASecondAtMost)
{
    bool off = false;
    int asked = 0;
    ViewVisibility view([&] {
        ++asked;
        return off;
    });
    EXPECT_TRUE(view.seen(10.0));
    EXPECT_EQ(asked, 1);
    view.setCovered(true);
    EXPECT_FALSE(view.seen(10.1));
    EXPECT_STREQ(view.reason(), "the window is covered");
    view.setCovered(false);
    EXPECT_TRUE(view.seen(10.2));
    EXPECT_EQ(asked, 1) << "asked again within half a second";

    off = true;   // DPMS off: seen again only once the monitor has been asked
    EXPECT_TRUE(view.seen(10.4));
    EXPECT_FALSE(view.seen(10.5));
    EXPECT_STREQ(view.reason(), "the monitor is off");
    EXPECT_FALSE(view.seen(10.6));
    off = false;   // while off, every look asks: the first after the monitor wakes draws
    EXPECT_TRUE(view.seen(10.7));
    EXPECT_EQ(asked, 4);
    EXPECT_TRUE(view.seen(10.8));
    EXPECT_EQ(asked, 4) << "asked again within half a second while on";
    // A clock that went back asks at once.
    off = true;
    EXPECT_FALSE(view.seen(5.0));

    ViewVisibility noMonitor(nullptr);   // a server without DPMS
    EXPECT_TRUE(noMonitor.seen(0.0));
}
