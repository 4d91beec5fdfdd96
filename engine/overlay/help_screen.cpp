// The help picture's fade and its centred quad.
#include "overlay/help_screen.h"

#include "assets/texture.h"
#include "overlay/fader.h"

#include <GL/gl.h>
#include <algorithm>

float helpAlphaStep(float alpha, bool visible, float framesPerSecond)
{
    if (visible) {
        // Clamped so that a slow frame rate cannot carry the picture past its maximum.
        if (alpha < kHelpMaximum) alpha = std::min(kHelpMaximum, alpha + fadeStep(kHelpFadeInRate, framesPerSecond));
    } else if (alpha > kHelpFloor) {
        alpha = std::max(0.0f, alpha - fadeStep(kHelpFadeOutRate, framesPerSecond));
    }
    return alpha;
}

void HelpScreen::load(ResourcePack& pack, const char* name)
{
    loadTextureFromPack(pack, name, texture);
    visible = false;
}

void HelpScreen::update(float framesPerSecond) { alpha = helpAlphaStep(alpha, visible, framesPerSecond); }

void HelpScreen::draw(uint32_t halfWidth, uint32_t halfHeight) const
{
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, texture);
    // A faint remainder of the fade-out is still drawn; at alpha 0 no pixel would change.
    if (alpha > 0.0f) {
        const float cx = static_cast<float>(halfWidth), cy = static_cast<float>(halfHeight);
        const float w = cx * kHelpSize, h = cy * kHelpSize;
        overlayQuad(cx - w, cy - h, cx + w, cy + h, true);
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
