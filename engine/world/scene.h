// The island scene without the sea surface: sky dome, ship, terrains and palms under one
// positional light, in four passes (reflection, refraction, main view before and after the sea).
#pragma once

class Model_3DS;
struct Terrain;
struct Camera;
struct FrameTimer;

enum ScenePass { kPassReflection = 0, kPassRefraction = 1, kPassMain = 2, kPassAfterWater = 3 };

struct SceneObjects {
    Model_3DS* sky = nullptr;
    Model_3DS* ship = nullptr;
    Model_3DS* palmTrunks = nullptr;
    Model_3DS* palmLeaves = nullptr;
    const Terrain* terrain1 = nullptr;
    const Terrain* terrain2 = nullptr;
    const Camera* camera = nullptr;
    // Its frame counter picks the frames on which the leaves are sorted (isSortFrame); without
    // a timer they are sorted at every after-water pass.
    const FrameTimer* timer = nullptr;
    // The main pass draws the sea through this, in place, with its bobbing: after the island's
    // ground, which hides the sea behind it, and before everything the sea hides in part.
    void (*drawSea)() = nullptr;
};

// The caller has set the projection, the camera and for passes 0 and 1 the mirror, clip plane
// and target. Returns with lighting off; passes 0 to 2 also with blending off.
void drawScene(const SceneObjects& scene, int pass);

// Where start-up puts the scene's objects (the sky and the ship are placed at every draw).
// The palms: both models at twice their size, lowered onto the island.
constexpr float kPalmScale = 2.0f;
constexpr float kPalmOffsetY = -22.2f;
// The terrains at twice their size, then lowered (in scaled units) so the sea laps their shores;
// the distant islands sit a little higher than the main one.
constexpr float kTerrainScale = 2.0f;
constexpr float kTerrain1OffsetY = -11.3f;
constexpr float kTerrain2OffsetY = -11.2f;
// How often the shared detail map repeats across each terrain (the "dsize" uniform).
constexpr float kTerrain1DetailSize = 64.0f;
constexpr float kTerrain2DetailSize = 640.0f;
// The sea: a square of this half size, with the distortion map repeated this often along a side.
constexpr float kWaterHalfSize = 4096.0f;
constexpr float kWaterTexRepeat = 192.0f;
// The sea's surface bobs: it is moved by kBobAmplitude * sin(kBobRate * t) - kBobAmplitude, so
// it lies between kSeaLowest and kSeaHighest.
constexpr float kBobAmplitude = 0.25f;
constexpr float kBobRate = 1.5f;
constexpr float kSeaLowest = -2.0f * kBobAmplitude;
constexpr float kSeaHighest = 0.0f;
// An eye this far above the sea sees it over the whole bottom of the view: the near plane (1 in
// front of the eye, its corners within 1.2) lies wholly above the surface.
constexpr float kSeaClipMargin = 2.0f;

// Light 1: brighter than white on purpose, so the lit models read well in the sun.
constexpr float kLightAmbient[4] = {1.7f, 1.7f, 1.0f, 1.0f};
constexpr float kLightDiffuse[4] = {3.0f, 3.0f, 2.5f, 1.0f};
constexpr float kLightPosition[4] = {-400.0f, 10.0f, -300.0f, 1.0f};
