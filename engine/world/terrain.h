// A terrain: a 3DS model drawn through the terrain program with its surface, mixing, detail and
// shadow textures on units 0 to 3. The whole shaded draw is recorded into one display list at
// load; a frame costs a scale, a translation and the list call.
#pragma once

#include "assets/model_3ds.h"
#include "assets/texture.h"

struct ShaderSet;

struct Terrain {
    float scale[3] = {1.0f, 1.0f, 1.0f};
    float offset[3] = {0.0f, 0.0f, 0.0f};   // applied after the scale, so in scaled units
    Model_3DS model;
    uint32_t displayList = 0;
    TextureName surface = 0, mixing = 0, detail = 0, shadow = 0;
    float detailSize = 1.0f;                // the "dsize" uniform: how often the detail map repeats

    // The set whose terrain slot the list records; start-up points it at the engine's set.
    ShaderSet* shaders = nullptr;

    // Needs a current context and the terrain program already built.
    void load(float detailSize, ResourcePack& pack, const char* modelName, const char* surfaceName,
              const char* mixingName, const char* detailName, const char* shadowName);
    void setScale(float x, float y, float z);
    void setOffset(float x, float y, float z);
    void draw() const;
    // Deletes the list and the model's data; the textures stay.
    void destroy();
};
