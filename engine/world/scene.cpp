// The scene passes: what each draws, in which order, with which placement and state.
#include "world/scene.h"

#include "assets/model_3ds.h"
#include "base/frame_timer.h"
#include "camera/camera.h"
#include "world/terrain.h"

#include <GL/glew.h>

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

void drawScene(const SceneObjects& scene, int pass)
{
    if (pass == kPassAfterWater) {
        glEnable(GL_LIGHTING);
        drawLeaves(scene, true);
        glDisable(GL_LIGHTING);
        return;
    }
    if (scene.sky) drawSky(*scene.sky);
    setLight();
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
    glDisable(GL_LIGHTING);
    if (scene.terrain1) scene.terrain1->draw();
    if (scene.terrain2) scene.terrain2->draw();
    glEnable(GL_LIGHTING);
    if (scene.palmTrunks) scene.palmTrunks->draw(true);
    if (pass == kPassReflection) drawLeaves(scene, false);
    glDisable(GL_LIGHTING);
}
