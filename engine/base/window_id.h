// The window a screensaver daemon hands its hack in XSCREENSAVER_WINDOW: a decimal or 0x
// hexadecimal X window id.
#pragma once

#include <optional>

// Nothing for a missing, empty or malformed value, or for 0.
std::optional<unsigned long> parseWindowId(const char* text);
