// The engine's one application object and the global engine objects it drives:
// start-up order, the event and frame loop, the frame's work and the shutdown.
#pragma once

#include "assets/model_3ds.h"
#include "audio/audio_player.h"
#include "camera/camera.h"
#include "camera/waypoints.h"
#include "core/capture.h"
#include "core/frame_timer.h"
#include "core/settings.h"
#include "world/scene.h"
#include "world/shader_set.h"
#include "world/terrain.h"
#include "world/water.h"
#include "overlay/bitmap_font.h"
#include "overlay/fader.h"
#include "overlay/help_screen.h"
#include "overlay/overlays.h"

#include <array>
#include <cstdint>

struct SDL_Window;
union SDL_Event;

#include "core/gamma.h"

struct ClientRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct EngineApp {
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    uint32_t halfWidth = 0;
    uint32_t halfHeight = 0;
    uint8_t depthBits = 32;
    uint8_t colourBits = 0;
    const char* windowClassName = "Class";
    const char* windowTitle = "Window";
    float gammaFactor = 1.0f;
    GammaRamp savedRamp{};
    SDL_Window* window = nullptr;
    void* glContext = nullptr;
    ClientRect clientRect;
    bool running = true;
    FrameTimer timer;

    bool rampSaved = false;       // savedRamp holds the display's ramp and must go back
    bool offscreenDriver = false; // SDL's EGL driver without an X server
    int startX = 0, startY = 0;   // cursor position at the end of start-up
    uint32_t lastEventParam = 0;  // the exit code: no SDL event carries a parameter
    CaptureConfig capture;
    uint64_t framesDrawn = 0;

    // Reads the desktop's size and colour depth (initialises SDL's video).
    EngineApp();

    bool createWindow();
    void destroyWindow();
    void applyGamma();
    void restoreGamma();
    void beginOverlay2D();
    void endOverlay2D();
    void swapBuffers();

    void init();
    int run();
    void update();
    void drawFrame();
    void stopOnError();

    // The window procedure: one event's effect on the engine's flags.
    void handleEvent(const SDL_Event& event);
};

// The engine's objects, one each for the whole process.
extern EngineApp g_app;
extern BehaviourSettings g_settings;
extern ResourcePack g_pack;
extern ScreenFader g_fader;
extern HelpScreen g_help;
extern BitmapFont g_font;
extern WaypointPath g_waypoints;
extern Camera g_camera;
extern Model_3DS g_sky, g_ship, g_palmTrunk, g_palmLeaves;
extern ShaderSet g_shaders;
extern Water g_water;
extern Terrain g_terrain1, g_terrain2;
extern AudioPlayer g_audio;

// The scene passes over the engine's objects.
void drawScene(int pass);

// Ties the restoring of the display to every way out of the process.
void installExitCleanup();
