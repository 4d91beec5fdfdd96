// Engine objects whose real modules have not been written yet. Each has the operations and
// arguments that start-up, the frame and the shutdown call, and does nothing; the real
// modules replace these one by one without changing the calls.
#pragma once

#include "assets/pack.h"
#include "camera/waypoints.h"

struct ScreenFader {
    bool requestJump = false;
    void load(ResourcePack& pack, const char* name);
    void update(const WaypointPath& path);
    void draw();
};

struct HelpScreen {
    bool visible = false;
    void load(ResourcePack& pack, const char* name);
    void update();
    void draw();
};

struct BitmapFont {
    void loadFontFromPack(ResourcePack& pack, const char* name);
};

void drawOverlays();
