// The island scene without the sea surface: sky dome, ship, terrains and palms under one
// positional light, in four passes (reflection, refraction, main view before and after the sea).
#pragma once

class Model_3DS;
struct Terrain;
struct Camera;

enum ScenePass { kPassReflection = 0, kPassRefraction = 1, kPassMain = 2, kPassAfterWater = 3 };

struct SceneObjects {
    Model_3DS* sky = nullptr;
    Model_3DS* ship = nullptr;
    Model_3DS* palmTrunks = nullptr;
    Model_3DS* palmLeaves = nullptr;
    const Terrain* terrain1 = nullptr;
    const Terrain* terrain2 = nullptr;
    const Camera* camera = nullptr;
};

// The caller has set the projection, the camera and for passes 0 and 1 the mirror, clip plane
// and target. Returns with lighting off; passes 0 to 2 also with blending off.
void drawScene(const SceneObjects& scene, int pass);

// Light 1: brighter than white on purpose, so the lit models read well in the sun.
constexpr float kLightAmbient[4] = {1.7f, 1.7f, 1.0f, 1.0f};
constexpr float kLightDiffuse[4] = {3.0f, 3.0f, 2.5f, 1.0f};
constexpr float kLightPosition[4] = {-400.0f, 10.0f, -300.0f, 1.0f};
