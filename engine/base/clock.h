// The engine's only animation clock: seconds since system start, from the monotonic clock.
// In capture mode it is a fixed clock instead, advancing exactly 1/60 s per rendered frame.
#pragma once

#include <cstdint>

// Milliseconds since system start as an unsigned 32-bit count (wraps after about 49.7 days).
uint32_t clockMilliseconds();
// Seconds since system start, in double precision.
double clockSeconds();

// Switches to the fixed clock starting at the given seconds.
void useFixedClock(double startSeconds);
// Moves the fixed clock on by one frame (1/60 s); does nothing on the system clock.
void advanceFixedClock();
