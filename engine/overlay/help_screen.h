// The help picture, shown and hidden with F1 by fading its alpha toward 0.7 or back to nothing.
#pragma once

#include <cstdint>

class ResourcePack;

constexpr float kHelpMaximum = 0.7f;
constexpr float kHelpFadeInRate = 0.46666667f;    // per second: about 1.5 s to the maximum
constexpr float kHelpFadeOutRate = 0.6666667f;    // per second: about 1.05 s back
constexpr float kHelpFloor = 0.01f;               // the fade-out stops at or below it
constexpr float kHelpSize = 0.55f;                // share of the view's width and height

// One frame of the help fade. Rising stops at the maximum; falling stops once at or below the
// floor (a remainder of at most 0.01 may stay, too faint to see) and never goes below 0.
float helpAlphaStep(float alpha, bool visible, float framesPerSecond);

struct HelpScreen {
    uint32_t texture = 0;
    float alpha = 0.0f;
    bool visible = false;   // flipped by F1; the fade follows from the current alpha

    void load(ResourcePack& pack, const char* name);
    void update(float framesPerSecond);
    // Centred on the view, 0.55 of its width and height; hidden (alpha 0) only its states are set.
    void draw(uint32_t halfWidth, uint32_t halfHeight) const;
};
