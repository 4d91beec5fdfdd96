// The gamma ramp kept, set and put back through the window's back end; the picture's own gamma
// where there is no ramp.
#include "window/display_gamma.h"

#include "base/messages.h"
#include "window/window_backend.h"

void DisplayGamma::keep(WindowBackend& window, bool lentWindow)
{
    lent_ = lentWindow;
    rampSaved_ = !lent_ && window.gammaRamp(saved_);
}

void DisplayGamma::apply(WindowBackend& window, float factor)
{
    if (lent_) return;
    if (window.hasGammaRamp()) {
        window.setGammaRamp(buildGammaRamp(factor));
        return;
    }
    pictureGamma_ = factor;
    if (pictureGamma_ != 1.0f)
        logLine("gamma %.2f applied to the picture (the display has no ramp for us)",
                static_cast<double>(pictureGamma_));
}

void DisplayGamma::restore(WindowBackend& window)
{
    if (!rampSaved_) return;
    rampSaved_ = false;
    if (displayLost_) {
        // Nothing may touch a display that is gone; the back end would only report its own copy.
        logLine("display gamma not restored: the display is gone");
        return;
    }
    window.setGammaRamp(saved_);
    GammaRamp now{};
    if (window.gammaRamp(now)) logLine(now == saved_ ? "display gamma restored" : "display gamma could not be restored");
}
