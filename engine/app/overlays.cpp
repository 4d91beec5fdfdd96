// The overlay pass: the fader, the help screen, the clock and the frame rate composed over the
// view.
#include "app/overlays.h"

#include "base/view_size.h"
#include "overlay/bitmap_font.h"
#include "overlay/fader.h"
#include "overlay/help_screen.h"
#include "overlay/clock_text.h"

void drawOverlays(const OverlayFrame& frame)
{
    const ViewSize& view = viewSize();
    // Laid out in points: on a doubled output every overlay is twice as many pixels.
    const int width = view.overlayWidth(), height = view.overlayHeight();
    frame.fader.draw(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    frame.help.draw(static_cast<uint32_t>(width / 2), static_cast<uint32_t>(height / 2));
    if (frame.clockShown) {
        ClockText time;
        if (frame.captureClock) clockTextAt(frame.captureTime, time);
        else localClockText(time);
        frame.font.print(0, kOverlayTextSize, static_cast<float>(width) - kClockRightMargin, kClockBottom,
                         "%s", time);
    }
    if (frame.frameRateShown)
        frame.font.print(0, kOverlayTextSize, kFrameRateLeft,
                     static_cast<float>(height) - kFrameRateTopMargin, "%.0f",
                     static_cast<double>(frame.framesPerSecond));
}
