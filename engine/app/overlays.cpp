// The overlay pass: the application's fader, help screen, font, settings and timer composed over
// the view.
#include "app/overlays.h"

#include "app/engine_app.h"
#include "base/view_size.h"
#include "overlay/clock_text.h"

void drawOverlays()
{
    const ViewSize& view = viewSize();
    g_app.beginOverlay2D();
    // Laid out in points: on a doubled output every overlay is twice as many pixels.
    const int width = view.overlayWidth(), height = view.overlayHeight();
    g_fader.draw(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    g_help.draw(static_cast<uint32_t>(width / 2), static_cast<uint32_t>(height / 2));
    ClockText time;
    if (g_app.capture.active) clockTextAt(g_app.timer.currentTime, time);
    else localClockText(time);
    if (g_settings.clockShown)
        g_font.print(0, kOverlayTextSize, static_cast<float>(width) - kClockRightMargin, kClockBottom,
                     "%s", time);
    if (g_settings.frameRateShown)
        g_font.print(0, kOverlayTextSize, kFrameRateLeft,
                     static_cast<float>(height) - kFrameRateTopMargin, "%.0f",
                     static_cast<double>(g_app.timer.framesPerSecond));
    g_app.endOverlay2D();
}
