// The engine's objects, the clean-up on every way out, the event and frame loop, the frame's work
// and the shutdown.
#include "app/engine_app.h"

#include "app/back_buffer.h"
#include "app/frame_governor.h"
#include "app/overlays.h"
#include "base/clock.h"
#include "base/exit_hooks.h"
#include "base/messages.h"
#include "base/quit_watch.h"
#include "base/view_size.h"
#include "window/window_backend.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <thread>

EngineApp g_app;
BehaviourSettings g_settings;
ResourcePack g_pack;
ScreenFader g_fader;
HelpScreen g_help;
BitmapFont g_font;
WaypointPath g_waypoints;
Camera g_camera;
Model_3DS g_sky, g_ship, g_palmTrunk, g_palmLeaves;
ShaderSet g_shaders;
Water g_water;
Terrain g_terrain1, g_terrain2;
AudioPlayer g_audio;

// The sea in the main view, bobbing with the frame timer's time; timed apart from the scene
// around it when the frame's parts are timed.
static void drawSea()
{
    g_app.parts.finished(FramePart::Main);
    glPushMatrix();
    const float t = static_cast<float>(g_app.timer.currentTime);
    glTranslatef(0.0f, kBobAmplitude * std::sin(kBobRate * t) - kBobAmplitude, 0.0f);
    g_water.draw();
    glPopMatrix();
    g_app.parts.finished(FramePart::Sea);
}

static const SceneObjects g_scene{&g_sky,      &g_ship,     &g_palmTrunk, &g_palmLeaves, &g_terrain1,
                                  &g_terrain2, &g_camera,   &g_app.timer, &drawSea};

void drawScene(int pass) { drawScene(g_scene, pass); }

// Each step is safe after the orderly shutdown has done it already. The audio closes first: its
// streams read files in the temporary folder, and its library must be closed before the static
// objects go.
static void restoreOnExit()
{
    g_audio.shutdown();
    g_pack.removeTempFiles();
    g_app.restoreGamma();
}

// The X server went away: Xlib cannot go on, so the process ends here, through the exit hooks.
static void endAfterDisplayLoss()
{
    g_app.gamma.displayLost();
    if (g_app.window) g_app.window->displayLost();
    g_app.running = false;
    endProcess(kRunExitStatus);
}

void installExitCleanup()
{
    addExitHook(restoreOnExit);
    installDisplayLossHandling(endAfterDisplayLoss);
    // SIGINT, SIGTERM and a hang-up (a daemon that passes every ending signal on) end the run the
    // same orderly way, between frames.
    catchQuitSignals();
}

EngineApp::EngineApp() = default;
EngineApp::~EngineApp() = default;

void EngineApp::stopOnError()
{
    if (window) window->stepAside();
    running = false;
}

void EngineApp::update()
{
    g_camera.advance(g_waypoints, timer.frameRateFactor);   // the previous frame's factor
    timer.update(clockSeconds());
    g_help.update(timer.framesPerSecond);
    // A request renewed while the flash stays at full strength restarts the camera every frame;
    // only the jump that ends a rise is logged.
    const bool rising = g_fader.flashAlpha < 1.0f;
    if (g_fader.step(timer.framesPerSecond)) {
        g_camera.restart(g_waypoints);
        if (rising) logLine("camera jump to segment %d", static_cast<int>(g_camera.segment));
    }
    if (timedJumpDue(g_settings.cameraJumpInterval, timer.currentTime)) g_fader.requestJump = true;
}

void EngineApp::drawFrame()
{
    parts.beginFrame();
    drawingIntoView(false);
    g_water.renderReflection();
    parts.finished(FramePart::Reflection);
    g_water.renderRefraction();
    parts.finished(FramePart::Refraction);
    drawingIntoView(true);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    g_camera.apply();
    drawScene(kPassMain);   // the sea is drawn inside, right after the island's ground
    parts.finished(FramePart::Main);
    drawScene(kPassAfterWater);
    parts.finished(FramePart::Leaves);
    beginOverlay2D();
    drawOverlays({g_fader, g_help, g_font, g_settings.clockShown, g_settings.frameRateShown, capture.active,
                  timer.currentTime, timer.framesPerSecond});
    endOverlay2D();
    parts.finished(FramePart::Overlays);
}

// Writes the frame just drawn when capture mode lists it; ends the run after the last one.
static void captureFrame(EngineApp& app)
{
    const std::vector<uint64_t>& frames = app.capture.frames;
    if (std::find(frames.begin(), frames.end(), app.framesDrawn) != frames.end()) {
        std::filesystem::path path = std::filesystem::path(app.capture.directory) / captureFileName(app.framesDrawn);
        if (!captureBackBuffer(path.string(), viewSize().width, viewSize().height)) {
            logLine("cannot write the capture %s", path.c_str());
            app.running = false;
        }
    }
    if (frames.empty() || app.framesDrawn >= frames.back()) app.running = false;
}

int EngineApp::run()
{
    if (running) logLine("running");
    const auto loopStart = std::chrono::steady_clock::now();
    bool loadingPictureShown = true;
    FrameGovernor governor(g_settings, capture.active);
    while (running) {
        WindowEvent event;
        if (window && window->nextEvent(event)) {
            handleEvent(event);
            continue;
        }
        if (quitSignalled()) {
            running = false;
            break;
        }
        if (hostWindow && !followHostWindow()) {
            logLine("the screensaver window is gone; ending the run");
            running = false;
            break;
        }
        if (window && !governor.drawNow(*window, framesDrawn)) continue;
        if (governor.resumed()) timer.resumeAfterPause(clockSeconds());
        quitWatch.frameBegins();
        update();
        drawFrame();
        ++framesDrawn;
        if (capture.active) captureFrame(*this);
        swapBuffers();
        parts.finished(FramePart::Swap);
        if (!quitWatch.frameEnds()) {
            for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));   // the watch ends the process
        }
        if (framesDrawn == 1)
            logLine("first frame shown %.2f s after start",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - constructedAt).count());
        // Said once the frame on the screen is the scene alone: pictures of it may be taken now.
        if (loadingPictureShown && g_fader.loadingAlpha <= 0.0f) {
            loadingPictureShown = false;
            logLine("loading picture faded out");
        }
        governor.drawn(!loadingPictureShown);
        advanceFixedClock();
    }
    quitWatch.stop();
    const double loopSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - loopStart).count();
    logLine("shutting down after %llu frames in %.2f s", static_cast<unsigned long long>(framesDrawn), loopSeconds);
    if (!parts.summary().empty()) logLine("frame parts in ms per frame: %s", parts.summary().c_str());
    g_audio.shutdown();
    g_pack.removeTempFiles();
    if (hasContext) {
        g_water.destroy();
        g_terrain1.destroy();
        g_terrain2.destroy();
        g_shaders.release();
    }
    destroyWindow();
    logLine("shutdown complete");
    return kRunExitStatus;
}
