// The sea: one large quad drawn through the water program with two images rendered anew each
// frame, the scene mirrored in the sea plane (reflection) and the scene below it (refraction),
// plus a scrolling distortion map. The images come from framebuffer objects when the driver has
// them, otherwise from the back buffer's corner copied into textures (a square no larger than
// the view, base/view_size.h). The shader maps each image onto the whole view.
#pragma once

#include "assets/texture.h"
#include "world/render_target.h"

class ResourcePack;
struct Camera;
struct ShaderSet;

constexpr int kReflectionSize = 1024;
constexpr int kRefractionSize = 512;

struct Water {
    float texRepeat = 0.0f;     // distortion repeats along each side of the quad
    float scroll = 0.0f;        // grows by kScrollStep per draw
    float halfSize = 0.0f;      // the quad spans -halfSize to +halfSize in x and z
    int reflectionSize = kReflectionSize;
    int refractionSize = kRefractionSize;
    TextureName reflectionTexture = 0;   // the copy path's textures
    TextureName refractionTexture = 0;
    TextureName dudvTexture = 0;
    RenderTarget reflectionTarget;
    RenderTarget refractionTarget;
    bool useTargets = false;

    // What the passes need of the engine; start-up fills them in before setup.
    const Camera* camera = nullptr;
    ShaderSet* shaders = nullptr;
    void (*drawScene)(int pass) = nullptr;

    // Framebuffer objects when wantTargets and the driver has them; a target the driver calls
    // incomplete sends the water down the copy path instead.
    void setup(ResourcePack& pack, const char* dudvName, float texRepeat, float halfSize, bool wantTargets);
    void renderReflection();
    // Ends with the viewport back on the whole view (base/view_size.h).
    void renderRefraction();
    void draw();
    void destroy();

    TextureName reflectionImage() const { return useTargets ? reflectionTarget.colourTexture : reflectionTexture; }
    TextureName refractionImage() const { return useTargets ? refractionTarget.colourTexture : refractionTexture; }
};

constexpr float kScrollStep = 0.0005f;
// Reflection keeps what lies above y = -0.2, refraction what lies below y = 1.5.
constexpr double kReflectionClip[4] = {0.0, 1.0, 0.0, 0.2};
constexpr double kRefractionClip[4] = {0.0, -1.0, 0.0, 1.5};
