// Formatting the time of day for the clock overlay.
#include "overlay/clock_text.h"

#include <cstdio>

void clockText(const std::tm& time, ClockText& text)
{
    // Each field is brought into its range (a leap second may show 60), so the text is always
    // exactly eight characters.
    auto field = [](int value, int limit) { return value < 0 ? 0 : value % limit; };
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", field(time.tm_hour, 24), field(time.tm_min, 60),
                  field(time.tm_sec, 61));
}

void localClockText(ClockText& text)
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) local = std::tm{};
    clockText(local, text);
}
