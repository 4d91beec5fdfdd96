// Start-up in its fixed order: the loading picture first, then the settings, the camera path,
// the models, the sea, the two islands and the sound. A failed loader stops the run and start-up
// goes on; an end asked for while loading stops it between two steps.
#include "app/engine_app.h"

#include "base/clock.h"
#include "base/messages.h"
#include "base/numeric.h"
#include "base/quit_watch.h"
#include "base/view_size.h"
#include "window/window_backend.h"

#include <epoxy/gl.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

static constexpr float kSkyRed = 0.2f, kSkyGreen = 0.4f, kSkyBlue = 0.7f;
// The oldest OpenGL the engine draws with (multitexturing); shaders are checked on their own.
static constexpr int kLeastGlVersion = 13;

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

// An end asked for while loading: the start-up stops before its next step and the run ends the
// orderly way (temporary files removed), without a frame.
static bool endAskedWhileLoading(EngineApp& app)
{
    if (!quitSignalled()) return false;
    logLine("the end was asked for while loading; ending the run");
    app.running = false;
    return true;
}

// Before every fatal message: the run stops (the window steps aside for the box), and the pointer
// shows where the failure asks for it.
static void stopRunBeforeMessage(FailurePointer pointer)
{
    g_app.stopOnError();
    if (pointer == FailurePointer::Shown && g_app.window) g_app.window->showCursor(true);
}

// ZERO_NO_FBO=1 sends the water down the copy path even where framebuffer objects exist.
static bool framebuffersWanted()
{
    const char* value = std::getenv("ZERO_NO_FBO");
    return !(value && std::string(value) == "1");
}

// The pack opened and its loading picture on the screen while the rest loads.
static void showLoadingPicture(EngineApp& app)
{
    g_pack.open("data.res");
    g_fader.load(g_pack, "loader.jpg");
    app.window->show();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    app.beginOverlay2D();
    // Laid out in points, as every overlay: on a doubled output the picture still fills the view.
    g_fader.draw(static_cast<uint32_t>(viewSize().overlayWidth()), static_cast<uint32_t>(viewSize().overlayHeight()));
    app.endOverlay2D();
    app.swapBuffers();
}

// The settings file, a daemon's options for this run over it, and what they set at once.
static void readSettings(EngineApp& app)
{
    g_settings = readBehaviourSettings(behaviourSettingsPath(std::filesystem::current_path().string()));
    // The host passes a daemon's options on for this run alone; the file stays as it is.
    if (const char* runSettings = std::getenv("ZERO_SETTINGS"); runSettings && *runSettings) {
        applyRunSettings(g_settings, runSettings);
        logLine("settings for this run: %s", runSettings);
    }
    if (app.window) app.gamma.apply(*app.window, static_cast<float>(g_settings.gamma) * 0.01f);
    g_camera.speed *= g_settings.speed;
}

// The help picture, the font, and the camera on its path.
static void loadOverlaysAndPath(EngineApp& app)
{
    g_help.load(g_pack, "help.jpg");
    g_font.loadFontFromPack(g_pack, "font.tga");
    g_waypoints.load(g_pack, "wp.dat");
    g_camera.restart(g_waypoints);
    // A segment the path does not have falls back to the first at the next advance, as a restart's can.
    if (app.capture.startSegment) g_camera.segment = *app.capture.startSegment;
    logLine("camera starts at segment %d", static_cast<int>(g_camera.segment));
}

static void loadModels(EngineApp&)
{
    g_sky.loadFromPack(g_pack, "sky.3ds");
    g_ship.loadFromPack(g_pack, "ship.3ds");
    g_palmTrunk.loadFromPack(g_pack, "palm1_stv.3ds");
    g_palmLeaves.loadFromPack(g_pack, "palm1_lst.3ds");
    g_palmTrunk.setScale(kPalmScale);
    g_palmLeaves.setScale(kPalmScale);
    g_palmTrunk.move(0.0f, kPalmOffsetY, 0.0f);
    g_palmLeaves.move(0.0f, kPalmOffsetY, 0.0f);
}

// The shaders, then the sea that uses them.
static void loadSea(EngineApp&)
{
    g_shaders.loadProgramFromPack(g_pack, "water.vert", "water.frag", kWaterSlot);
    g_shaders.loadProgramFromPack(g_pack, "terrain.vert", "terrain.frag", kTerrainSlot);
    g_water.camera = &g_camera;
    g_water.shaders = &g_shaders;
    g_water.drawScene = drawScene;
    g_water.setup(g_pack, "dudv.jpg", kWaterTexRepeat, kWaterHalfSize, framebuffersWanted());
}

// One island: its mesh, its surface, mixing and shadow pictures over the shared detail picture,
// at its height.
static void loadTerrain(Terrain& terrain, float detailSize, const char* mesh, const char* surface,
                        const char* mixing, const char* shadow, float offsetY)
{
    terrain.shaders = &g_shaders;
    terrain.load(detailSize, g_pack, mesh, surface, mixing, "terdtex.jpg", shadow);
    terrain.setScale(kTerrainScale, kTerrainScale, kTerrainScale);
    terrain.setOffset(0.0f, offsetY, 0.0f);
}

static void loadIsland(EngineApp&)
{
    loadTerrain(g_terrain1, kTerrain1DetailSize, "ter.3ds", "terstex.jpg", "termtex.jpg", "tershtex.jpg", kTerrain1OffsetY);
}

static void loadSecondIsland(EngineApp&)
{
    loadTerrain(g_terrain2, kTerrain2DetailSize, "ter2.3ds", "ter2stex.jpg", "ter2mtex.jpg", "ter2shtex.jpg",
                kTerrain2OffsetY);
}

// The sea sounds and the music, each playing as the settings say.
static void startSound(EngineApp& app)
{
    // In a lent window nobody may be there to click a message away, and a machine without sound
    // still wants its picture; ZERO_SILENT (with its reason) is the host's word that this copy
    // stays silent.
    const char* silentReason = std::getenv("ZERO_SILENT");
    const SoundDevice need = silentReason && *silentReason ? SoundDevice::Unwanted
                             : app.hostWindow              ? SoundDevice::Optional
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
}

// The pointer goes to the centre; motion already queued from before is not a user's movement.
// Under a daemon the pointer is the daemon's.
static void placePointer(EngineApp& app)
{
    app.startKnown = app.window->centrePointer(app.startX, app.startY);
    app.window->setSwapInterval(g_settings.verticalSync ? 1 : 0);
}

using LoadingStep = void (*)(EngineApp&);
// A signal to end is looked at between these steps, not inside them.
static constexpr LoadingStep kLoadingSteps[] = {showLoadingPicture, readSettings, loadOverlaysAndPath,
                                                loadModels,         loadSea,      loadIsland,
                                                loadSecondIsland,   startSound};

void EngineApp::init()
{
    if (hostWindow) quitWatch.start(kFrameGraceAfterQuit, endInsideFrame);
    if (endAskedWhileLoading(*this)) return;
    setFatalMessageHook(stopRunBeforeMessage);
    // Without a context no GL entry point may be called: the loader has nothing to load them from.
    if (!hasContext || epoxy_gl_version() < kLeastGlVersion) {
        showFatalMessage("GLEW could not initialize!", "ERROR", FailurePointer::Unchanged);
        return;
    }
    seedRandom(capture.seed ? *capture.seed : clockMilliseconds());
    glClearColor(kSkyRed, kSkyGreen, kSkyBlue, 1.0f);
    for (LoadingStep step : kLoadingSteps) {
        if (endAskedWhileLoading(*this)) return;
        step(*this);
    }
    placePointer(*this);
}
