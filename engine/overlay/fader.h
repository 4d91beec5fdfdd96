// The screen fader: the loading picture that covers the screen at start-up and fades out, and
// the pale flash that hides a camera jump. The fades are per-second rates divided by the frame rate.
#pragma once

#include <cstdint>

class ResourcePack;

constexpr float kLoadingFadeRate = 0.5714286f;   // per second: gone in 1.75 s
constexpr float kFlashRate = 1.0f;               // per second, up and down
constexpr float kFadeFloor = 0.001f;             // alphas at or below it become 0
constexpr float kFlashRed = 0.85f, kFlashGreen = 0.95f, kFlashBlue = 1.0f;

// One frame's step for a frame rate: rate / framesPerSecond. A frame rate that is not a
// positive number (none measured yet) counts as one frame a second, so a fade never stalls
// or jumps by an infinite step.
float fadeStep(float rate, float framesPerSecond);

// An alpha fading down by step; at or below the floor it becomes 0.
float fadeDown(float alpha, float step, float floor);

// A quad over the window-pixel rectangle, the whole picture mapped onto it when textured.
void overlayQuad(float left, float bottom, float right, float top, bool textured);

struct ScreenFader {
    uint32_t texture = 0;
    // One white texel, bound under the flash: a fragment program in place of the fixed pipeline
    // (the picture's own gamma) samples a texture whether texturing is on or not.
    uint32_t plainTexture = 0;
    float loadingAlpha = 1.0f;
    bool requestJump = false;   // the one way the timed jump and the arrow keys ask for a jump
    float flashAlpha = 0.0f;

    void load(ResourcePack& pack, const char* name);
    // The fades of one frame; true when the flash has reached full strength and the camera is
    // to jump now (the request is then cleared). The application restarts the camera then.
    bool step(float framesPerSecond);
    // The loading picture, then the flash, each over the whole view. The states are set every
    // frame; the fill is skipped at alpha 0, where the blend would change no pixel.
    void draw(uint32_t viewWidth, uint32_t viewHeight) const;
};
