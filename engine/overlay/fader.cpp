// The loading picture's fade-out, the flash around a camera jump, and their full-screen quads.
#include "overlay/fader.h"

#include "assets/texture.h"

#include <GL/gl.h>
#include <cmath>

float fadeStep(float rate, float framesPerSecond)
{
    if (!(framesPerSecond > 0.0f) || !std::isfinite(framesPerSecond)) framesPerSecond = 1.0f;
    return rate / framesPerSecond;
}

float fadeDown(float alpha, float step, float floor)
{
    alpha -= step;
    return alpha <= floor ? 0.0f : alpha;
}

void ScreenFader::load(ResourcePack& pack, const char* name)
{
    loadTextureFromPack(pack, name, texture);
    loadingAlpha = 1.0f;
    if (!plainTexture) {
        const uint8_t white[4] = {255, 255, 255, 255};
        GLuint made = 0;
        glGenTextures(1, &made);
        glBindTexture(GL_TEXTURE_2D, made);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
        plainTexture = made;
    }
    requestJump = false;
    flashAlpha = 0.0f;
}

bool ScreenFader::step(float framesPerSecond)
{
    bool jump = false;
    const float flash = fadeStep(kFlashRate, framesPerSecond);
    if (requestJump) {
        flashAlpha += flash;
        if (flashAlpha >= 1.0f) {
            flashAlpha = 1.0f;
            requestJump = false;
            jump = true;
        }
    } else if (flashAlpha > kFadeFloor) {
        flashAlpha = fadeDown(flashAlpha, flash, kFadeFloor);
    }
    if (loadingAlpha > kFadeFloor)
        loadingAlpha = fadeDown(loadingAlpha, fadeStep(kLoadingFadeRate, framesPerSecond), kFadeFloor);
    return jump;
}

void overlayQuad(float left, float bottom, float right, float top, bool textured)
{
    glBegin(GL_QUADS);
    if (textured) glTexCoord2f(0.0f, 1.0f);
    glVertex2f(left, top);
    if (textured) glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    if (textured) glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, bottom);
    if (textured) glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, top);
    glEnd();
}

void ScreenFader::draw(uint32_t viewWidth, uint32_t viewHeight) const
{
    const float w = static_cast<float>(viewWidth), h = static_cast<float>(viewHeight);

    glColor4f(1.0f, 1.0f, 1.0f, loadingAlpha);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (loadingAlpha > 0.0f) overlayQuad(0.0f, 0.0f, w, h, true);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

    glColor4f(kFlashRed, kFlashGreen, kFlashBlue, flashAlpha);
    glBindTexture(GL_TEXTURE_2D, plainTexture);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    if (flashAlpha > 0.0f) overlayQuad(0.0f, 0.0f, w, h, false);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
