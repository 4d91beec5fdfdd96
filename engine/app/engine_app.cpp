// Start-up in its fixed order, the event and frame loop, the frame's work and the shutdown.
#include "app/engine_app.h"

#include "app/back_buffer.h"
#include "app/frame_governor.h"
#include "app/overlays.h"
#include "assets/texture.h"
#include "base/clock.h"
#include "base/exit_hooks.h"
#include "base/messages.h"
#include "base/numeric.h"
#include "base/quit_watch.h"
#include "base/view_size.h"
#include "window/window_backend.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
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

// ZERO_NO_FBO=1 sends the water down the copy path even where framebuffer objects exist.
static bool framebuffersWanted()
{
    const char* value = std::getenv("ZERO_NO_FBO");
    return !(value && std::string(value) == "1");
}

static constexpr float kSkyRed = 0.2f, kSkyGreen = 0.4f, kSkyBlue = 0.7f;
// The oldest OpenGL the engine draws with (multitexturing); shaders are checked on their own.
static constexpr int kLeastGlVersion = 13;

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
    g_app.displayLost = true;
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

// How long a frame or a loading step in a lent window may go on after the signal to end before
// the run ends without it; an orderly end takes one frame or one step, well under this on any
// renderer.
constexpr std::chrono::milliseconds kFrameGraceAfterQuit{2000};

// The daemon's window is gone and the frame or loading step still under way will never be seen:
// only the temporary files need to go (the gamma is the daemon's, the sound device closes with
// the process). The loop's thread is inside the renderer or a loader, so nothing of its is touched
// and no exit hook runs; a loader's copy under way finishes first, and none is written after.
static void endInsideFrame()
{
    logLine("a frame or a loading step was still under way %.1f s after the signal to end; ending without it",
            std::chrono::duration<double>(kFrameGraceAfterQuit).count());
    g_pack.removeTempFiles();
    std::fflush(nullptr);
    std::_Exit(kRunExitStatus);
}

// Watches the run in a lent window from the first loading step to the end of the loop.
static QuitWatch g_quitWatch;

// An end asked for while loading: the start-up stops before its next step and the run ends the
// orderly way (temporary files removed), without a frame.
static bool endAskedWhileLoading(EngineApp& app)
{
    if (!quitSignalled()) return false;
    logLine("the end was asked for while loading; ending the run");
    app.running = false;
    return true;
}

void EngineApp::init()
{
    if (hostWindow) g_quitWatch.start(kFrameGraceAfterQuit, endInsideFrame);
    if (endAskedWhileLoading(*this)) return;
    // Without a context no GL entry point may be called: the loader has nothing to load them from.
    if (!hasContext || epoxy_gl_version() < kLeastGlVersion) {
        if (window) window->stepAside();
        running = false;
        showMessage("GLEW could not initialize!", "ERROR");
        return;
    }
    seedRandom(capture.seed ? *capture.seed : clockMilliseconds());
    glClearColor(kSkyRed, kSkyGreen, kSkyBlue, 1.0f);
    // A loader that cannot open its file stops the run and shows the cursor before its message.
    g_pack.onOpenFailure = [] {
        g_app.stopOnError();
        g_app.window->showCursor(true);
    };
    setLoadFailureSteps(g_pack.onOpenFailure);
    g_pack.open("data.res");
    g_fader.load(g_pack, "loader.jpg");
    window->show();

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    beginOverlay2D();
    g_fader.draw(static_cast<uint32_t>(viewSize().width), static_cast<uint32_t>(viewSize().height));
    endOverlay2D();
    swapBuffers();
    if (endAskedWhileLoading(*this)) return;

    g_settings = readBehaviourSettings(behaviourSettingsPath(std::filesystem::current_path().string()));
    // A daemon's options for this run, passed on by the host; the file stays as it is.
    if (const char* runSettings = std::getenv("ZERO_SETTINGS"); runSettings && *runSettings) {
        applyRunSettings(g_settings, runSettings);
        logLine("settings for this run: %s", runSettings);
    }
    gammaFactor = static_cast<float>(g_settings.gamma) * 0.01f;
    applyGamma();
    g_camera.speed *= g_settings.speed;
    if (endAskedWhileLoading(*this)) return;

    g_help.load(g_pack, "help.jpg");
    g_font.loadFontFromPack(g_pack, "font.tga");
    g_waypoints.onLoadFailure = [] { g_app.stopOnError(); };   // out of the topmost band, minimised, stopped
    g_waypoints.load(g_pack, "wp.dat");
    g_camera.restart(g_waypoints);
    // A segment the path does not have falls back to the first at the next advance, as a restart's can.
    if (capture.startSegment) g_camera.segment = *capture.startSegment;

    logLine("camera starts at segment %d", static_cast<int>(g_camera.segment));
    if (endAskedWhileLoading(*this)) return;
    g_sky.loadFromPack(g_pack, "sky.3ds");
    g_ship.loadFromPack(g_pack, "ship.3ds");
    g_palmTrunk.loadFromPack(g_pack, "palm1_stv.3ds");
    g_palmLeaves.loadFromPack(g_pack, "palm1_lst.3ds");
    g_palmTrunk.setScale(kPalmScale);
    g_palmLeaves.setScale(kPalmScale);
    g_palmTrunk.move(0.0f, kPalmOffsetY, 0.0f);
    g_palmLeaves.move(0.0f, kPalmOffsetY, 0.0f);
    if (endAskedWhileLoading(*this)) return;

    g_shaders.onUnsupported = [] { g_app.stopOnError(); };   // out of the topmost band, minimised, stopped
    g_shaders.loadProgramFromPack(g_pack, "water.vert", "water.frag", kWaterSlot);
    g_shaders.loadProgramFromPack(g_pack, "terrain.vert", "terrain.frag", kTerrainSlot);
    g_water.camera = &g_camera;
    g_water.shaders = &g_shaders;
    g_water.drawScene = drawScene;
    g_water.setup(g_pack, "dudv.jpg", kWaterTexRepeat, kWaterHalfSize, framebuffersWanted());
    if (endAskedWhileLoading(*this)) return;

    g_terrain1.shaders = &g_shaders;
    g_terrain2.shaders = &g_shaders;

    g_terrain1.load(kTerrain1DetailSize, g_pack, "ter.3ds", "terstex.jpg", "termtex.jpg", "terdtex.jpg", "tershtex.jpg");
    g_terrain1.setScale(kTerrainScale, kTerrainScale, kTerrainScale);
    g_terrain1.setOffset(0.0f, kTerrain1OffsetY, 0.0f);
    if (endAskedWhileLoading(*this)) return;
    g_terrain2.load(kTerrain2DetailSize, g_pack, "ter2.3ds", "ter2stex.jpg", "ter2mtex.jpg", "terdtex.jpg",
                    "ter2shtex.jpg");
    g_terrain2.setScale(kTerrainScale, kTerrainScale, kTerrainScale);
    g_terrain2.setOffset(0.0f, kTerrain2OffsetY, 0.0f);
    if (endAskedWhileLoading(*this)) return;

    g_audio.onFailure = [] {
        g_app.stopOnError();
        g_app.window->showCursor(true);
    };
    // In a lent window nobody may be there to click a message away, and a machine without sound
    // still wants its picture; ZERO_SILENT (with its reason) is the host's word that this copy
    // stays silent.
    const char* silentReason = std::getenv("ZERO_SILENT");
    const SoundDevice need = silentReason && *silentReason ? SoundDevice::Unwanted
                             : hostWindow                  ? SoundDevice::Optional
                                                           : SoundDevice::Required;
    g_audio.init(nullptr, need, silentReason);
    g_audio.loadStreamFromPack(g_pack, "seagulls.mp3");
    g_audio.loadStreamFromPack(g_pack, "ocean.mp3");
    g_audio.setVolume(kSeagullSlot, streamVolume(g_settings.soundVolume, kSeagullVolumeShare));
    g_audio.setVolume(kOceanSlot, streamVolume(g_settings.soundVolume, kOceanVolumeShare));
    if (g_settings.soundOn) {
        g_audio.play(kSeagullSlot);
        g_audio.play(kOceanSlot);
    }
    g_audio.musicIndex = g_audio.streamCount();
    g_audio.loadStreamFromPack(g_pack, "tr1.ogg");
    if (g_settings.musicOn) g_audio.play(g_audio.musicIndex);
    g_audio.setVolume(g_audio.musicIndex, streamVolume(g_settings.musicVolume, kMusicVolumeShare));

    // The pointer goes to the centre; motion already queued from before is not a user's movement.
    // Under a daemon the pointer is the daemon's.
    startKnown = window->centrePointer(startX, startY);

    window->setSwapInterval(g_settings.verticalSync ? 1 : 0);
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
    drawOverlays();
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
        g_quitWatch.frameBegins();
        update();
        drawFrame();
        ++framesDrawn;
        if (capture.active) captureFrame(*this);
        swapBuffers();
        parts.finished(FramePart::Swap);
        if (!g_quitWatch.frameEnds()) {
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
    g_quitWatch.stop();
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
