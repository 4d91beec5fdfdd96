// The display's gamma over a run: the ramp as the engine found it, kept so that every way out can
// put it back, and the settings' gamma through the ramp or, where the window has no ramp the
// engine may set (Wayland), as a power the picture itself carries. A daemon's lent window leaves
// the ramp to the daemon: nothing is kept, set or put back there.
#pragma once

#include "base/gamma.h"

class WindowBackend;

class DisplayGamma {
public:
    // Right after the window is made: the ramp the display has now is the one to put back.
    void keep(WindowBackend& window, bool lentWindow);
    // The settings' gamma factor (1 leaves the picture as it is). A refusal of the ramp keeps the
    // display's own.
    void apply(WindowBackend& window, float factor);
    // The power every fragment drawn into the view is raised to the inverse of; 1 where the ramp
    // carries the gamma.
    float pictureGamma() const { return pictureGamma_; }
    // Puts the kept ramp back, once, and logs whether the display took it; safe to call again.
    void restore(WindowBackend& window);
    // The display went away: the kept ramp was its own and is dropped at the restore, with a word.
    void displayLost() { displayLost_ = true; }

private:
    GammaRamp saved_{};
    bool rampSaved_ = false;    // saved_ holds the display's ramp and must go back
    bool lent_ = false;
    bool displayLost_ = false;
    float pictureGamma_ = 1.0f;
};
