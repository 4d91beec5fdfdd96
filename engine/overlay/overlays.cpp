// The overlay pass over the engine's global fader, help screen, font, settings and timer.
#include "overlay/overlays.h"

#include "core/engine_app.h"
#include "overlay/clock_text.h"

void drawOverlays()
{
    g_app.beginOverlay2D();
    g_fader.draw(g_app.screenWidth, g_app.screenHeight);
    g_help.draw(g_app.halfWidth, g_app.halfHeight);
    ClockText time;
    if (g_app.capture.active) clockTextAt(g_app.timer.currentTime, time);
    else localClockText(time);
    if (g_settings.clockShown)
        g_font.print(0, kOverlayTextSize, static_cast<float>(g_app.screenWidth) - kClockRightMargin, kClockBottom,
                     "%s", time);
    if (g_settings.frameRateShown)
        g_font.print(0, kOverlayTextSize, kFrameRateLeft,
                     static_cast<float>(g_app.screenHeight) - kFrameRateTopMargin, "%.0f",
                     static_cast<double>(g_app.timer.framesPerSecond));
    g_app.endOverlay2D();
}
