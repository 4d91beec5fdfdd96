// The engine's one application object and the global engine objects it drives. Its work lies by
// job: start-up (startup.cpp), the loop, the frame and the shutdown (engine_app.cpp), the view
// over the session's window (view.cpp) and input (input.cpp).
#pragma once

#include "app/frame_parts.h"
#include "assets/model_3ds.h"
#include "audio/audio_player.h"
#include "base/capture.h"
#include "base/frame_timer.h"
#include "base/quit_watch.h"
#include "base/settings.h"
#include "camera/camera.h"
#include "camera/waypoints.h"
#include "overlay/bitmap_font.h"
#include "overlay/fader.h"
#include "overlay/help_screen.h"
#include "world/scene.h"
#include "world/shader_set.h"
#include "world/terrain.h"
#include "world/water.h"
#include "window/display_gamma.h"
#include "window/window_backend.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>


// What zero's process returns at the end of a run: on Windows it would be the parameter of the
// last window message, and no SDL event carries one.
constexpr int kRunExitStatus = 0;

struct EngineApp {
    const char* windowTitle = "Window";
    // The window on the display server the session runs (X11 or Wayland), with its GL context.
    std::unique_ptr<WindowBackend> window;
    DisplayGamma gamma;
    bool hasContext = false;
    bool running = true;
    FrameTimer timer;
    // Where the pointer was at the end of start-up; without a known start (a Wayland client may
    // neither move nor ask for the pointer) the first position the pointer shows becomes it.
    int startX = 0, startY = 0;
    bool startKnown = false;
    CaptureConfig capture;
    // The window a screensaver daemon lent us (XSCREENSAVER_WINDOW), 0 when the engine has the
    // screen to itself. The engine then draws in a child window that fills it and follows its size,
    // and leaves input, the pointer, the gamma ramp and the end of the run to the daemon.
    unsigned long hostWindow = 0;
    std::string outputName;       // --output: the Wayland output to cover
    uint64_t framesDrawn = 0;
    // Taken when the process's static objects are made, before anything is loaded: the log
    // gives the time from here to the first frame on the screen.
    std::chrono::steady_clock::time_point constructedAt = std::chrono::steady_clock::now();
    FrameParts parts;             // ZERO_PASS_TIMES=1: each part of the frame timed
    // Watches the run in a lent window from the first loading step to the end of the loop.
    QuitWatch quitWatch;

    EngineApp();
    ~EngineApp();

    // The window at the desktop's size and colour depth with its context, through the back end
    // chosen for the session; the view takes its size. False when it cannot be made.
    bool createWindow(std::unique_ptr<WindowBackend> backend);
    void destroyWindow();
    // Under a daemon, a few times a second (each look is a round trip to the X server): the view
    // follows the host window's size; false once that window is gone.
    bool followHostWindow();
    // The view's new size in pixels: base/view_size.h, the viewport and the scene's projection.
    void resizeView(int width, int height);
    // The window's new size: the view follows it (and the log says so) when it differs.
    void resized(int width, int height);
    // What is drawn next goes into the view (true) or into the water's targets (false): only the
    // view carries the picture's gamma.
    void drawingIntoView(bool view);
    void restoreGamma();
    void beginOverlay2D();
    void endOverlay2D();
    void swapBuffers();

    void init();
    int run();
    void update();
    void drawFrame();
    // A failure stops the run: the window steps out of the way of the message that follows.
    void stopOnError();

    // The window procedure: one event's effect on the engine's flags.
    void handleEvent(const WindowEvent& event);
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

// Ties the clean-up (audio closed, temporary files removed, gamma restored) to every way out of
// the process, a lost X display included.
void installExitCleanup();
