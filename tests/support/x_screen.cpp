// Windows and pictures of the test display (xwininfo, xdotool, ImageMagick, libpng, Xlib).
#include "support/x_screen.h"

#include "support/program_runner.h"

#include <png.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>

// Xlib last: its macros (Status, None, Bool) clash with other headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// As the waits of the program runner: a look that began before the deadline is the last.
template <typename TimePoint>
static bool pastDeadline(TimePoint deadline)
{
    return std::chrono::steady_clock::now() >= deadline;
}

static int field(const std::string& text, const std::string& label)
{
    size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + label.size());
}

// Every window of that exact name, from the whole tree: another window of the same name that
// is not mapped (one going away, one not yet shown) must not hide the one that is.
static std::vector<std::string> windowIds(const std::string& name, std::string* tree = nullptr)
{
    std::vector<std::string> ids;
    std::string out = shell("xwininfo -root -tree 2>&1");
    if (tree) *tree = out;
    const std::string quoted = " \"" + name + "\"";
    for (size_t at = 0; (at = out.find(quoted, at)) != std::string::npos; ++at) {
        size_t lineStart = out.rfind('\n', at);
        lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
        size_t id = out.find("0x", lineStart);
        if (id != std::string::npos && id < at) ids.push_back(out.substr(id, out.find(' ', id) - id));
    }
    return ids;
}

std::optional<WindowInfo> waitForWindow(const std::string& name, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::string tree, lastState;
    bool past = false;
    while (!past) {
        past = pastDeadline(deadline);
        for (const std::string& id : windowIds(name, &tree)) {
            int status = 0;
            std::string out = shell("xwininfo -id " + id + " 2>&1", &status);
            if (status != 0 || out.find("IsViewable") == std::string::npos) {
                lastState = id + ": " + out;
                continue;
            }
            WindowInfo info;
            info.x = field(out, "Absolute upper-left X:");
            info.y = field(out, "Absolute upper-left Y:");
            info.width = field(out, "Width:");
            info.height = field(out, "Height:");
            info.viewable = true;
            info.id = id;
            return info;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // What the server showed last, so a window that never came up can be told from one that
    // came up under another name or stayed unmapped.
    std::fprintf(stderr, "no viewable window \"%s\" after %.0f s; %s; last window tree:\n%s\n%s\n", name.c_str(),
                 seconds, displayReport().c_str(), tree.c_str(), lastState.c_str());
    return std::nullopt;
}

std::optional<WindowInfo> waitForWindowSize(const std::string& windowId, int width, int height, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::string out;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        out = shell("xwininfo -id " + windowId + " 2>&1", &status);
        if (status == 0 && out.find("IsViewable") != std::string::npos && field(out, "Width:") == width &&
            field(out, "Height:") == height) {
            return WindowInfo{field(out, "Absolute upper-left X:"), field(out, "Absolute upper-left Y:"), width, height,
                              true, windowId};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::fprintf(stderr, "window %s not %dx%d after %.0f s; %s:\n%s\n", windowId.c_str(), width, height, seconds,
                 displayReport().c_str(), out.c_str());
    return std::nullopt;
}

int countWindows(const std::string& name)
{
    std::string out = shell("xwininfo -root -tree 2>/dev/null");
    int count = 0;
    for (size_t at = 0; (at = out.find("\"" + name + "\"", at)) != std::string::npos; ++at) ++count;
    return count;
}

std::array<int, 3> Picture::at(int x, int y) const
{
    size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

std::optional<Picture> readPng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGB;
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return std::nullopt;
    return picture;
}

std::optional<Picture> screenshot(const std::string& path)
{
    int status = 0;
    shell("import -window root '" + path + "' 2>/dev/null", &status);
    if (status != 0) return std::nullopt;
    return readPng(path);
}

bool waitForFocus(const std::string& windowId, double seconds)
{
    unsigned long want = std::stoul(windowId, nullptr, 16);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        const bool past = pastDeadline(deadline);
        std::string out = shell("xdotool getwindowfocus 2>/dev/null");
        if (!out.empty() && std::stoul(out) == want) return true;
        if (past) {
            std::fprintf(stderr, "window %s has not the keyboard focus after %.0f s (%s has); %s\n", windowId.c_str(),
                         seconds, out.empty() ? "none" : out.c_str(), displayReport().c_str());
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

std::vector<int> windowRedRamp(const std::string& windowId)
{
    std::vector<int> ramp;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return ramp;
    XWindowAttributes attrs{};
    Window window = std::stoul(windowId, nullptr, 16);
    if (XGetWindowAttributes(display, window, &attrs) && attrs.visual->c_class == DirectColor) {
        std::vector<XColor> cells(256);
        for (int i = 0; i < 256; ++i) cells[i].pixel = (static_cast<unsigned long>(i) << 16) | (i << 8) | i;
        XQueryColors(display, attrs.colormap, cells.data(), 256);
        for (const XColor& c : cells) ramp.push_back(c.red);
    }
    XCloseDisplay(display);
    return ramp;
}
