// zero: the full-screen engine. It works in the program directory; under a screensaver daemon it
// draws into the window XSCREENSAVER_WINDOW names. On a Wayland session it covers one output:
//   zero [--output NAME]   (the compositor's name of the output; without it, the compositor's choice)
#include "app/engine_app.h"
#include "app/message_box.h"
#include "base/clock.h"
#include "base/messages.h"
#include "base/window_id.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

// The command line: --output NAME, nothing else. False (with the reason logged) otherwise.
static bool readArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--output") == 0 && i + 1 < argc && argv[i + 1][0] != '\0') {
            g_app.outputName = argv[++i];
            continue;
        }
        logLine("usage: zero [--output NAME] (not understood: %s)", argv[i]);
        return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    if (!readArguments(argc, argv)) return 2;
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
    std::optional<BackendKind> backend =
        chooseBackend(std::getenv("ZERO_BACKEND"), std::getenv("WAYLAND_DISPLAY"), g_app.hostWindow != 0, error);
    if (!backend) {
        logLine("%s", error.c_str());
        return 2;
    }
    // In a lent window nobody is there to click a box away: the messages go to standard error,
    // which the daemon keeps in its log. The box is decided before anything can show one.
    if (!g_app.hostWindow) installMessageBox();
    installExitCleanup();   // on every way out, a lost X display included
    if (!g_app.createWindow(makeWindowBackend(*backend)) && g_app.hostWindow) {
        logLine("the screensaver window 0x%lx does not exist; nothing to draw into", g_app.hostWindow);
        g_app.window->shutdown();
        SDL_Quit();
        return 0;
    }
    g_app.init();
    int code = g_app.run();
    g_app.window->shutdown();
    SDL_Quit();
    return code;
}
