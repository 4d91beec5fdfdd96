// XSCREENSAVER_WINDOW as the daemon and its settings app write it, and what is refused.
#include "base/window_id.h"

#include <gtest/gtest.h>

TEST(WindowId, DecimalAndHexadecimalIdsAndRefusals)
{
    const std::pair<const char*, unsigned long> cases[] = {
        {"0x40000C", 0x40000C}, {"0x400d80", 0x400D80}, {"0X1f", 0x1F}, {"4194316", 4194316},
        {nullptr, 0}, {"", 0}, {"0", 0}, {"0x", 0}, {"0x0", 0}, {"-5", 0}, {" 12", 0}, {"12 ", 0},
        {"0x40000G", 0}, {"window", 0}, {"99999999999999999999999", 0},
    };
    for (const auto& [text, id] : cases) {
        std::optional<unsigned long> parsed = parseWindowId(text);
        if (id) {
            ASSERT_TRUE(parsed) << text;
            EXPECT_EQ(*parsed, id) << text;
        } else {
            EXPECT_FALSE(parsed) << (text ? text : "(unset)");
        }
    }
}
