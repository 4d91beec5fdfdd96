// The scene passes: what each draws, in which order, with which placement and state.
#include "world/scene.h"

#include "assets/model_3ds.h"
#include "base/frame_timer.h"
#include "camera/camera.h"
#include "world/terrain.h"

#include <epoxy/gl.h>

// Two copies of the dome: the larger, lower one fills any gap under the first one's rim.
static constexpr float kInnerSkyY = -20.0f, kInnerSkyScale = 30.0f;
static constexpr float kOuterSkyY = -25.0f, kOuterSkyScale = 36.0f;
static constexpr float kShipPosition[3] = {0.0f, -2.0f, -500.0f};
static constexpr float kShipPitch = -2.0f, kShipHeading = 30.0f;

static void drawSky(Model_3DS& sky)
{
    glPushMatrix();
    sky.position[1] = kInnerSkyY;
    sky.scale = kInnerSkyScale;
    sky.draw(true);
    sky.position[1] = kOuterSkyY;
    sky.scale = kOuterSkyScale;
    sky.draw(true);
    glPopMatrix();
}

static void setLight()
{
    glLightfv(GL_LIGHT1, GL_AMBIENT, kLightAmbient);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, kLightDiffuse);
    glLightfv(GL_LIGHT1, GL_POSITION, kLightPosition);   // fixed in the world: the camera is on the matrix
    glEnable(GL_LIGHT1);
}

static void drawLeaves(const SceneObjects& scene, bool sort)
{
    if (!scene.palmLeaves) return;
    if (sort && scene.timer) sort = isSortFrame(scene.timer->frameCounter);
    const float* t = scene.camera ? scene.camera->translation.data() : nullptr;
    scene.palmLeaves->drawBlended(true, sort, t ? t[0] : 0.0f, t ? t[1] : 0.0f, t ? t[2] : 0.0f);
}

// In the main view, from an eye above the sea, nothing below the sea's lowest level can show:
// the sea covers it. The ground there is clipped away instead of being shaded or rasterised and
// then covered. An eye closer to the surface, or under it (where the sea's back is culled),
// sees the ground whole.
static bool seaHidesTheDeep(const SceneObjects& scene)
{
    return scene.drawSea && scene.camera && scene.camera->position()[1] > kSeaHighest + kSeaClipMargin;
}

static void clipBelowTheSea()
{
    static const double kBelowTheSea[4] = {0.0, 1.0, 0.0, -kSeaLowest};
    glClipPlane(GL_CLIP_PLANE0, kBelowTheSea);   // in the world: the camera is on the matrix
    glEnable(GL_CLIP_PLANE0);
}

// Everything but the leaves is opaque except the ship, which is drawn with blending; opaque
// surfaces under a depth test give the same picture in any order. So the near ground goes
// first, then (in the main view) the sea, the far ground and the trunks, and the sky after all
// of them, so that the depth test turns away what they hide before it is shaded; the ship comes
// after everything it stands in front of.
void drawScene(const SceneObjects& scene, int pass)
{
    if (pass == kPassAfterWater) {
        glEnable(GL_LIGHTING);
        drawLeaves(scene, true);
        glDisable(GL_LIGHTING);
        return;
    }
    setLight();
    const bool clipDeep = pass == kPassMain && seaHidesTheDeep(scene);
    if (clipDeep) clipBelowTheSea();
    if (scene.terrain1) scene.terrain1->draw();
    if (pass == kPassMain && scene.drawSea) {
        if (clipDeep) glDisable(GL_CLIP_PLANE0);
        scene.drawSea();
        if (clipDeep) glEnable(GL_CLIP_PLANE0);
    }
    if (scene.terrain2) scene.terrain2->draw();
    glEnable(GL_LIGHTING);
    if (scene.palmTrunks) scene.palmTrunks->draw(true);
    glDisable(GL_LIGHTING);
    if (scene.sky) drawSky(*scene.sky);
    glEnable(GL_LIGHTING);
    glEnable(GL_BLEND);
    if (scene.ship) {
        scene.ship->rotation[0] = kShipPitch;
        scene.ship->rotation[1] = kShipHeading;
        scene.ship->position[2] = kShipPosition[2];
        scene.ship->position[1] = kShipPosition[1];
        scene.ship->draw(true);
    }
    glDisable(GL_BLEND);
    if (clipDeep) glDisable(GL_CLIP_PLANE0);
    if (pass == kPassReflection) drawLeaves(scene, false);
    glDisable(GL_LIGHTING);
}
