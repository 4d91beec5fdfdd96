#include "window/window_backend.h"

#include <gtest/gtest.h>

// The session decides the back end unless ZERO_BACKEND does; a daemon's window is always X11's.
TEST(BackendChoice, SessionThenOverride)
{
    struct Case {
        const char* zeroBackend;
        const char* waylandDisplay;
        bool lentWindow;
        std::optional<BackendKind> expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, false, BackendKind::X11},
        {nullptr, "", false, BackendKind::X11},
        {nullptr, "wayland-1", false, BackendKind::Wayland},
        {"", "wayland-1", false, BackendKind::Wayland},
        {"x11", "wayland-1", false, BackendKind::X11},
        {"wayland", nullptr, false, BackendKind::Wayland},
        {nullptr, "wayland-1", true, BackendKind::X11},
        {"x11", nullptr, true, BackendKind::X11},
        {"wayland", "wayland-1", true, std::nullopt},
        {"Wayland", "wayland-1", false, std::nullopt},
        {"sdl", nullptr, false, std::nullopt},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto kind = chooseBackend(c.zeroBackend, c.waylandDisplay, c.lentWindow, error);
        const std::string label = std::string(c.zeroBackend ? c.zeroBackend : "-") + " / " +
                                  (c.waylandDisplay ? c.waylandDisplay : "-") + (c.lentWindow ? " / lent" : "");
        EXPECT_EQ(kind, c.expected) << label;
        EXPECT_EQ(error.empty(), kind.has_value()) << label << ": " << error;
    }
}
