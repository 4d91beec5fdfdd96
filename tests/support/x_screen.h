// Windows and pictures of the test display for program-level tests: waiting for a window by name,
// its size and focus, screenshots and PNG files read back, a window's colour ramp (xwininfo,
// xdotool, ImageMagick, libpng, Xlib).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct WindowInfo {
    int x = 0, y = 0, width = 0, height = 0;
    bool viewable = false;
    std::string id;
};
// Waits until a window of that name is mapped and viewable.
std::optional<WindowInfo> waitForWindow(const std::string& name, double seconds);
// Waits until the window (hex id) is viewable at that size (a window that grows as it opens);
// its place and size then.
std::optional<WindowInfo> waitForWindowSize(const std::string& windowId, int width, int height, double seconds);
// Waits until the window (hex id) has the keyboard focus, so that key presses reach it.
bool waitForFocus(const std::string& windowId, double seconds);
// How many windows of that name exist now.
int countWindows(const std::string& name);

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;   // rows top first
    std::array<int, 3> at(int x, int y) const;
};
std::optional<Picture> readPng(const std::string& path);
// A screenshot of the whole display, read back.
std::optional<Picture> screenshot(const std::string& path);

// The red ramp of the window's colormap (hex id), as the display applies it to the window; empty
// when the window has no DirectColor visual or the display cannot be opened.
std::vector<int> windowRedRamp(const std::string& windowId);
