// The engine's one message path: every box the engine shows goes through here.
// A box when a display can show one; standard error when ZERO_MESSAGES=stderr or no box can be shown.
#pragma once

void showMessage(const char* text, const char* caption);

// One line of the engine's log on standard error ("zero: ...").
void logLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
