// zero: the full-screen engine. It takes no arguments and works in the program directory; under a
// screensaver daemon it draws into the window XSCREENSAVER_WINDOW names.
#include "app/engine_app.h"
#include "app/message_box.h"
#include "base/clock.h"
#include "base/messages.h"
#include "base/window_id.h"

#include <SDL.h>
#include <cstdlib>
#include <filesystem>
#include <system_error>

int main(int, char**)
{
    std::string error;
    std::optional<CaptureConfig> capture = parseCaptureConfig(
        std::getenv("ZERO_CAPTURE_DIR"), std::getenv("ZERO_CAPTURE_FRAMES"), std::getenv("ZERO_SEED"), error);
    if (!capture || !parseStartSegment(std::getenv("ZERO_CAPTURE_SEGMENT"), *capture, error)) {
        logLine("%s", error.c_str());
        return 2;
    }
    if (capture->active) {
        std::error_code ec;
        std::filesystem::create_directories(capture->directory, ec);
        if (ec) {
            logLine("cannot make the capture folder %s: %s", capture->directory.c_str(), ec.message().c_str());
            return 2;
        }
        useFixedClock(kCaptureStartSeconds);
    }
    g_app.capture = *capture;
    // A screensaver daemon (XScreenSaver) names the window to draw into.
    const char* daemonWindow = std::getenv("XSCREENSAVER_WINDOW");
    if (daemonWindow && *daemonWindow) {
        std::optional<unsigned long> id = parseWindowId(daemonWindow);
        if (!id) {
            logLine("XSCREENSAVER_WINDOW=%s is not a window id", daemonWindow);
            return 2;
        }
        g_app.hostWindow = *id;
    }
    // In a lent window nobody is there to click a box away: the messages go to standard error,
    // which the daemon keeps in its log. The box is decided before anything can show one.
    if (!g_app.hostWindow) installMessageBox();
    installExitCleanup();   // on every way out, a lost X display included
    if (!g_app.createWindow() && g_app.hostWindow) {
        logLine("the screensaver window 0x%lx does not exist; nothing to draw into", g_app.hostWindow);
        SDL_Quit();
        return 0;
    }
    g_app.init();
    int code = g_app.run();
    SDL_Quit();
    return code;
}
