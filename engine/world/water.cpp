// Water set-up, the two render passes and the sea quad.
#include "world/water.h"

#include "base/messages.h"
#include "base/view_size.h"
#include "camera/camera.h"
#include "world/shader_set.h"

#include <epoxy/gl.h>
#include <algorithm>

void Water::setup(ResourcePack& pack, const char* dudvName, float repeat, float half, bool wantTargets)
{
    useTargets = false;
    if (wantTargets && epoxy_has_gl_extension("GL_EXT_framebuffer_object")) {
        bool reflectionComplete = reflectionTarget.create(reflectionSize, reflectionSize);
        bool refractionComplete = refractionTarget.create(refractionSize, refractionSize);
        useTargets = reflectionComplete && refractionComplete;
        if (!useTargets) {
            // Drawing into an incomplete framebuffer does nothing: the sea would show no images.
            logLine("water: render targets incomplete, copying from the back buffer instead");
            for (RenderTarget* target : {&reflectionTarget, &refractionTarget}) {
                target->destroy();
                glDeleteTextures(1, &target->colourTexture);
                target->colourTexture = 0;
            }
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    }
    if (!useTargets) {
        createRenderTexture(reflectionSize, reflectionSize, reflectionTexture);
        createRenderTexture(refractionSize, refractionSize, refractionTexture);
    }
    loadTextureFromPack(pack, dudvName, dudvTexture);
    texRepeat = repeat;
    scroll = 0.0f;
    halfSize = half;
}

// The scene through the camera, clipped by the plane in world coordinates, then mirrored or not.
static void drawClippedScene(const Water& water, int pass, const double plane[4], bool mirrored)
{
    glLoadIdentity();
    if (water.camera) water.camera->apply();
    if (mirrored) {
        glScalef(1.0f, -1.0f, 1.0f);
        glCullFace(GL_FRONT);   // the mirror turns every triangle's winding round
    }
    glClipPlane(GL_CLIP_PLANE0, plane);
    glEnable(GL_CLIP_PLANE0);
    if (water.drawScene) water.drawScene(pass);
    glDisable(GL_CLIP_PLANE0);
    if (mirrored) glCullFace(GL_BACK);
}

static void renderIntoTarget(const Water& water, const RenderTarget& target, int pass, const double plane[4], bool mirrored)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
    glPushAttrib(GL_VIEWPORT_BIT);
    glViewport(0, 0, target.width, target.height);
    glClear(GL_DEPTH_BUFFER_BIT);
    drawClippedScene(water, pass, plane, mirrored);
    glPopAttrib();
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

// The side of the copy path's square: the image's size, cut to what the view holds, since pixels
// outside the window are not the engine's to read back. A full-screen view holds both images.
static int copySide(int size)
{
    const ViewSize& view = viewSize();
    if (view.width <= 0 || view.height <= 0) return size;
    return std::min({size, view.width, view.height});
}

// Draws into the back buffer's lower-left corner and copies it; the main pass clears it after.
static void renderAndCopy(const Water& water, TextureName texture, int imageSize, int pass, const double plane[4],
                          bool mirrored)
{
    const int size = copySide(imageSize);
    glViewport(0, 0, size, size);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawClippedScene(water, pass, plane, mirrored);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, size, size, 0);
    glDisable(GL_TEXTURE_2D);
}

void Water::renderReflection()
{
    if (useTargets) renderIntoTarget(*this, reflectionTarget, 0, kReflectionClip, true);
    else renderAndCopy(*this, reflectionTexture, reflectionSize, 0, kReflectionClip, true);
}

void Water::renderRefraction()
{
    if (useTargets) renderIntoTarget(*this, refractionTarget, 1, kRefractionClip, false);
    else renderAndCopy(*this, refractionTexture, refractionSize, 1, kRefractionClip, false);
    glViewport(0, 0, viewSize().width, viewSize().height);
}

void Water::draw()
{
    scroll += kScrollStep;
    if (!shaders) return;
    shaders->use(kWaterSlot);
    const TextureName textures[3] = {reflectionImage(), refractionImage(), dudvTexture};
    static const char* const samplers[3] = {"ReflTex", "RefrTex", "DuDvTex"};
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
        shaders->setUniform1i(samplers[unit], unit);
    }
    // The camera keeps its negated position: x and z come back as they are, the height negated.
    const float* stored = camera ? camera->translation.data() : nullptr;
    if (stored) shaders->setUniform4f("CamPos", -stored[0], stored[1], -stored[2], 1.0f);
    glPushMatrix();
    shaders->setUniform4f("Size", 1.0f, 1.0f, 1.0f, 1.0f);
    const float r = texRepeat, s = scroll, h = halfSize;
    glBegin(GL_QUADS);
    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, 0.0f, r - s);
    glVertex3f(-h, 0.0f, -h);
    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, 0.0f, -s);
    glVertex3f(-h, 0.0f, h);
    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, r, -s);
    glVertex3f(h, 0.0f, h);
    glMultiTexCoord2fARB(GL_TEXTURE1_ARB, r, r - s);
    glVertex3f(h, 0.0f, -h);
    glEnd();
    glPopMatrix();
    for (int unit = 3; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
    }
    shaders->use(kNoProgram);
}

void Water::destroy()
{
    if (useTargets) {
        refractionTarget.destroy();
        reflectionTarget.destroy();
    }
}
