// The window procedure: keyboard, mouse and window events turned into the engine's flags.
// Input never stops the loop itself; it clears the running flag that the loop tests. Keys held
// with Alt are the platform's: the engine takes no action on them, and the platform's close
// shortcut reaches it as the window's close event. In a screensaver daemon's window, keys and the
// mouse are the daemon's: it ends the run itself.
#include "app/engine_app.h"

#include "base/messages.h"
#include "window/window_backend.h"

#include <cstdlib>

static bool movedPastTolerance(int startX, int startY, int x, int y)
{
    constexpr int kMouseTolerance = 15;
    return std::abs(startX - x) > kMouseTolerance || std::abs(startY - y) > kMouseTolerance;
}

// Each stream follows its own state, not the flags, so streams that were out of step stay so.
static void toggleSound()
{
    g_audio.toggle(kSeagullSlot);
    g_audio.toggle(kOceanSlot);
    g_settings.soundOn = !g_settings.soundOn;
    g_audio.toggle(g_audio.musicIndex);
    g_settings.musicOn = !g_settings.musicOn;
    logLine("sound %s, music %s", g_settings.soundOn ? "on" : "off", g_settings.musicOn ? "on" : "off");
}

static void pressKey(WindowKey key, bool& running)
{
    switch (key) {
    case WindowKey::F1: g_help.visible = !g_help.visible; break;
    case WindowKey::Left:
    case WindowKey::Up:
    case WindowKey::Right:
    case WindowKey::Down: g_fader.requestJump = true; break;
    case WindowKey::T: g_settings.clockShown = !g_settings.clockShown; break;
    case WindowKey::F: g_settings.frameRateShown = !g_settings.frameRateShown; break;
    case WindowKey::S: toggleSound(); break;
    case WindowKey::Escape:
    case WindowKey::Space: running = false; break;
    case WindowKey::Other: break;
    }
}

void EngineApp::handleEvent(const WindowEvent& event)
{
    using Type = WindowEvent::Type;
    const bool input = event.type == Type::Key || event.type == Type::PointerEnter ||
                       event.type == Type::PointerMotion || event.type == Type::Button || event.type == Type::Wheel;
    if (hostWindow && input) return;
    switch (event.type) {
    case Type::Key:
        if (!event.alt) pressKey(event.key, running);
        break;
    case Type::PointerEnter:
        if (!startKnown) {
            startX = event.x;
            startY = event.y;
            startKnown = true;
            break;
        }
        [[fallthrough]];
    case Type::PointerMotion:
        if (g_settings.mouseEndsRun && startKnown && movedPastTolerance(startX, startY, event.x, event.y))
            running = false;
        break;
    case Type::Button:
        if (event.button != 0) running = false;
        break;
    case Type::Wheel: running = false; break;
    case Type::Resized: resized(event.x, event.y); break;
    case Type::Close: running = false; break;
    }
}
