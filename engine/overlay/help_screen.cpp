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
    glPushMatrix();
    glTranslatef(static_cast<float>(halfWidth), static_cast<float>(halfHeight), 0.0f);
    glScalef(static_cast<float>(halfWidth) * kHelpSize, static_cast<float>(halfHeight) * kHelpSize, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Hidden (alpha 0) the picture would change no pixel; a faint remainder is still drawn.
    if (alpha > 0.0f) {
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 1.0f);
        glVertex2f(-1.0f, 1.0f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2f(-1.0f, -1.0f);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2f(1.0f, -1.0f);
        glTexCoord2f(1.0f, 1.0f);
        glVertex2f(1.0f, 1.0f);
        glEnd();
    }
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
