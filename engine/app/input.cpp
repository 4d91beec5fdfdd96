// The window procedure: keyboard, mouse and window events turned into the engine's flags.
// Input never stops the loop itself; it clears the running flag that the loop tests. Keys held
// with Alt are the platform's: the engine takes no action on them, and the platform's close
// shortcut reaches it as the window's close event. In a screensaver daemon's window, keys and the
// mouse are the daemon's: it ends the run itself.
#include "app/engine_app.h"

#include "base/messages.h"
#include "base/view_size.h"

#include <SDL.h>
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

// SDL also reports the size a window already has (when it is first shown): only a new size counts.
void EngineApp::resized(int width, int height)
{
    if (width == viewSize().width && height == viewSize().height) return;
    resizeView(width, height);
    logLine("the view is now %d x %d", viewSize().width, viewSize().height);
}

void EngineApp::handleEvent(const SDL_Event& event)
{
    const bool input = event.type == SDL_KEYDOWN || event.type == SDL_MOUSEMOTION ||
                       event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEWHEEL;
    if (hostWindow && input) return;
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.mod & KMOD_ALT) break;
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE:
        case SDLK_SPACE: running = false; break;
        case SDLK_F1: g_help.visible = !g_help.visible; break;
        case SDLK_LEFT:
        case SDLK_UP:
        case SDLK_RIGHT:
        case SDLK_DOWN: g_fader.requestJump = true; break;
        case SDLK_t: g_settings.clockShown = !g_settings.clockShown; break;
        case SDLK_f: g_settings.frameRateShown = !g_settings.frameRateShown; break;
        case SDLK_s: toggleSound(); break;
        default: break;
        }
        break;
    case SDL_MOUSEMOTION:
        if (g_settings.mouseEndsRun && movedPastTolerance(startX, startY, event.motion.x, event.motion.y))
            running = false;
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT || event.button.button == SDL_BUTTON_RIGHT ||
            event.button.button == SDL_BUTTON_MIDDLE)
            running = false;
        break;
    case SDL_MOUSEWHEEL: running = false; break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) running = false;
        else if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) resized(event.window.data1, event.window.data2);
        break;
    default: break;
    }
}
