// Engine objects whose real modules have not been written yet. Each has the operations and
// arguments that start-up, the frame and the shutdown call, and does nothing; the real
// modules replace these one by one without changing the calls.
#pragma once

#include "assets/pack.h"

struct ShaderSet {
    void loadProgramFromPack(ResourcePack& pack, const char* vertexName, const char* fragmentName, int slot);
};

struct Water {
    void setup(ResourcePack& pack, const char* dudvName, float texRepeat, float halfSize, bool wantTargets);
    void renderReflection();
    void renderRefraction();
    void draw();
};

struct Terrain {
    void load(float detailSize, ResourcePack& pack, const char* modelName, const char* surfaceName,
              const char* mixingName, const char* detailName, const char* shadowName);
    void setScale(float x, float y, float z);
    void setOffset(float x, float y, float z);
};

void drawScene(int pass);
