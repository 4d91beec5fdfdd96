// Formatting the time of day for the clock overlay.
#include "overlay/clock_text.h"

#include <cmath>
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

void clockTextAt(double seconds, ClockText& text)
{
    constexpr double kDay = 24.0 * 60.0 * 60.0;
    double ofDay = std::isfinite(seconds) ? std::fmod(std::floor(seconds), kDay) : 0.0;
    if (ofDay < 0) ofDay += kDay;
    const int whole = static_cast<int>(ofDay);
    std::tm t{};
    t.tm_hour = whole / 3600;
    t.tm_min = whole / 60 % 60;
    t.tm_sec = whole % 60;
    clockText(t, text);
}
