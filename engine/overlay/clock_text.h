// The clock's text: the local time of day on the 24-hour clock.
#pragma once

#include <ctime>

constexpr int kClockTextLength = 8;   // "HH:MM:SS"
using ClockText = char[kClockTextLength + 1];

// The time of day as "HH:MM:SS".
void clockText(const std::tm& time, ClockText& text);
// The same for the local time now.
void localClockText(ClockText& text);
// The same for a count of seconds taken as the time since midnight (whole seconds, wrapping
// every 24 hours): capture mode's fixed clock, so that captured frames repeat exactly.
void clockTextAt(double seconds, ClockText& text);
