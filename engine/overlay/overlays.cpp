// The overlay pass over the engine's global fader, help screen, font, settings and timer.
#include "overlay/overlays.h"

#include "core/engine_app.h"

#include <cstdio>

void clockText(const std::tm& time, char (&text)[kClockTextLength + 1])
{
    // Each field is brought into its range (a leap second may show 60), so the text is always
    // exactly eight characters.
    auto field = [](int value, int limit) { return value < 0 ? 0 : value % limit; };
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", field(time.tm_hour, 24), field(time.tm_min, 60),
                  field(time.tm_sec, 61));
}

static void localClockText(char (&text)[kClockTextLength + 1])
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local)) local = std::tm{};
    clockText(local, text);
}

void drawOverlays()
{
    g_app.beginOverlay2D();
    g_fader.draw(g_app.screenWidth, g_app.screenHeight);
    g_help.draw(g_app.halfWidth, g_app.halfHeight);
    char time[kClockTextLength + 1];
    localClockText(time);
    if (g_settings.clockShown)
        g_font.print(0, kOverlayTextSize, static_cast<float>(g_app.screenWidth) - kClockRightMargin, kClockBottom,
                     "%s", time);
    if (g_settings.frameRateShown)
        g_font.print(0, kOverlayTextSize, kFrameRateLeft,
                     static_cast<float>(g_app.screenHeight) - kFrameRateTopMargin, "%.0f",
                     static_cast<double>(g_app.timer.framesPerSecond));
    g_app.endOverlay2D();
}
