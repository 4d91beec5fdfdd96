// The engine's sound as a listener would meet it, measured on SDL's disk driver: which sounds
// are in the mix and how loud, what the S key changes, seamless loops, a missing sound file and
// a machine without an audio device. Each decoded file is lined up with the mix by correlation.
#include "support/audio_analysis.h"
#include "support/program_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

static constexpr const char* kTitle = "Window";
static constexpr size_t kRate = 44100;
static constexpr size_t kSearchFrames = 1 << 20;    // where a stream's start is looked for
static constexpr size_t kSegmentFrames = 1 << 18;   // how much of a file is lined up
static constexpr size_t kSettle = 4096;             // frames left out after a start or a key

// Decoded once for all tests: the very files the build packed.
static const Sound& reference(const std::string& name)
{
    static std::map<std::string, Sound> cache;
    auto found = cache.find(name);
    if (found == cache.end()) found = cache.emplace(name, decodeSoundFile(std::string(QUELM_ASSET_DIR) + "/" + name)).first;
    return found->second;
}
static const Sound& gulls() { return reference("seagulls.mp3"); }
static const Sound& ocean() { return reference("ocean.mp3"); }
static const Sound& music() { return reference("tr1.ogg"); }

static size_t mixFrames(const std::string& path)
{
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<size_t>(size / 4);
}

static bool waitForMix(const std::string& path, size_t frames, double seconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        const bool past = std::chrono::steady_clock::now() >= deadline;   // one more look after a stall
        if (mixFrames(path) >= frames) return true;
        if (past) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// A little before the mix first sounds: a file may open quietly, so it can have started earlier.
static size_t searchStart(const Sound& s, size_t from = 0)
{
    const size_t kQuietOpening = 2 * kRate;
    for (size_t t = from; t < s.frames(); ++t)
        if (s.at(t, 0) != 0.0f || s.at(t, 1) != 0.0f) return t > from + kQuietOpening ? t - kQuietOpening : from;
    return s.frames();
}

class ZeroAudio : public ::testing::Test {
protected:
    ProgramDir dir;
    RunningProgram zero;
    std::string mixPath = dir.path + "-mix.raw";
    std::vector<std::string> before = dir.entries();
    Sound mix;
    // How much of the mix was written before the end was asked for: what follows is the shutdown
    // freeing the streams one by one, and on a busy machine the disk driver, running flat out,
    // can write seconds of it.
    size_t mixBeforeEnd = 0;

    void TearDown() override { fs::remove(mixPath); }

    void writeSettings(const std::string& lines)
    {
        std::ofstream(dir.path + "/Controls.cfg") << "[FullScreen behaviour Control]\r\n" << lines;
    }
    std::map<std::string, std::string> environment(const char* driver = "disk")
    {
        return {{"ZERO_MESSAGES", "stderr"}, {"SDL_AUDIODRIVER", driver}, {"SDL_DISKAUDIOFILE", mixPath},
                {"SDL_DISKAUDIODELAY", "0"}};
    }
    // Runs the engine until the mix holds that many frames (the disk driver runs flat out),
    // with 'during' called once the window has the focus; ends it by SIGTERM and reads the mix.
    void runUntil(size_t frames, const std::function<void(const WindowInfo&)>& during = {})
    {
        ASSERT_TRUE(zero.start(dir.path, "zero", environment()));
        auto window = waitForWindow(kTitle, 20.0);
        ASSERT_TRUE(window) << zero.stderrText();
        ASSERT_TRUE(waitForFocus(window->id, 10.0));
        if (during) during(*window);
        ASSERT_TRUE(waitForMix(mixPath, frames, 120.0)) << mixFrames(mixPath) << " frames";
        mixBeforeEnd = mixFrames(mixPath);
        zero.signal(SIGTERM);
        ASSERT_TRUE(zero.waitExit(10.0));
        EXPECT_EQ(zero.exitCode, 0);
        EXPECT_NE(zero.stderrText().find("shutdown complete"), std::string::npos) << zero.stderrText();
        mix = readDiskMix(mixPath);
    }
    // Gulls, ocean and music, where each one's first frame lies in the mix.
    std::array<int64_t, 3> locateAll(size_t from)
    {
        std::vector<int64_t> at = locateSources(mix, {&gulls(), &ocean(), &music()}, from, kSearchFrames, kSegmentFrames);
        return {at[0], at[1], at[2]};
    }
    int64_t locate(const Sound& source, size_t from, size_t sourceStart = 0)
    {
        Alignment a = alignSource(mix, source, from, kSearchFrames, sourceStart, kSegmentFrames);
        EXPECT_GT(a.correlation, 0.2) << "the file is not in the mix";
        return a.mixFrameOfSourceStart;
    }
};

static void expectGain(double measured, double expected, const char* what)
{
    EXPECT_NEAR(measured / expected, 1.0, 0.05) << what << ": gain " << measured << ", expected " << expected;
}

TEST_F(ZeroAudio, AllThreeSoundsPlayAtTheirVolumesAndLoopSeamlessly)
{
    // Long enough for the tune (the longest file) to pass its end once.
    runUntil(music().frames() + 40 * kRate);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(zero.stderrText().find("BASS"), std::string::npos) << zero.stderrText();
    size_t first = searchStart(mix);
    auto [atGulls, atOcean, atMusic] = locateAll(first);
    int64_t last = std::max({atGulls, atOcean, atMusic});
    ASSERT_GE(std::min({atGulls, atOcean, atMusic}), 0);
    ASSERT_LT(static_cast<size_t>(atMusic) + music().frames() + kRate, mix.frames());

    std::vector<Placed> all = {{&gulls(), atGulls}, {&ocean(), atOcean}, {&music(), atMusic}};
    size_t from = static_cast<size_t>(last) + kSettle;
    Fit fit = fitGains(mix, all, from, from + 10 * kRate);
    ASSERT_EQ(fit.gains.size(), 3u);
    // Defaults: sound and music volume 99, so 79, 39 and 99 on the 0-to-100 scale.
    expectGain(fit.gains[0], 0.79, "gulls");
    expectGain(fit.gains[1], 0.39, "ocean");
    expectGain(fit.gains[2], 0.99, "music");
    EXPECT_LT(fit.residualShare, 0.02) << "the mix holds something besides the three files";

    // Every loop point inside the mix: the mix goes on with each file's start, and steps no
    // further there than it does anywhere in ten ordinary seconds.
    double ordinary = largestStep(mix, from, from + 10 * kRate);
    for (const Placed& p : all)
        for (size_t loop = static_cast<size_t>(p.offset) + p.source->frames();
             loop + kRate < std::min(mix.frames(), mixBeforeEnd); loop += p.source->frames()) {
            SCOPED_TRACE("loop point at mix frame " + std::to_string(loop));
            Fit across = fitGains(mix, all, loop - kRate / 2, loop + kRate / 2);
            EXPECT_LT(across.residualShare, 0.02);
            expectGain(across.gains[2], 0.99, "music across the loop");
            EXPECT_LE(largestStep(mix, loop - 256, loop + 256), ordinary);
        }
}

TEST_F(ZeroAudio, WithSoundOffOnlyTheMusicPlaysUntilTheSoundKeySwapsThem)
{
    writeSettings("sound_on=0\r\nmusic_on=1\r\n");
    size_t pressedAt = 0;
    runUntil(0, [&](const WindowInfo&) {
        // The disk driver writes the mix far faster than real time: the key is pressed once the
        // loop runs, and the mix is measured from the moment the engine says the key took effect,
        // so that a slow frame on a busy machine cannot let the mix run past the swap.
        ASSERT_TRUE(zero.waitForOutput("zero: running", 60.0)) << zero.stderrText();
        ASSERT_TRUE(waitForMix(mixPath, 20 * kRate, 60.0));
        shell("xdotool key s");
        ASSERT_TRUE(zero.waitForOutput("zero: sound on, music off", 20.0)) << zero.stderrText();
        pressedAt = mixFrames(mixPath);
        ASSERT_TRUE(waitForMix(mixPath, pressedAt + 30 * kRate, 60.0));
    });
    ASSERT_FALSE(HasFatalFailure());
    int64_t atMusic = locate(music(), searchStart(mix));
    ASSERT_GE(atMusic, 0);
    // Where the mix stops being the music alone: the key took effect there.
    size_t swap = static_cast<size_t>(atMusic);
    while (swap < mix.frames()) {
        size_t t = swap - static_cast<size_t>(atMusic);
        // The music starts before its volume is set; its level holds from the next buffers on.
        if (t < kRate) {
            ++swap;
            continue;
        }
        if (std::fabs(mix.at(swap, 0) - 0.99f * music().at(t % music().frames(), 0)) > 0.002f) break;
        ++swap;
    }
    const std::string where = "the key pressed at " + std::to_string(pressedAt / kRate) + " s of the mix, the music from " +
                              std::to_string(atMusic / kRate) + " s, a change at " + std::to_string(swap / kRate) +
                              " s, the mix " + std::to_string(mix.frames() / kRate) + " s long";
    ASSERT_GT(swap, static_cast<size_t>(atMusic) + 10 * kRate) << "the music alone for the first seconds; " << where;
    ASSERT_LT(swap + 20 * kRate, mix.frames()) << "the key changed nothing; " << where;

    Fit musicOnly = fitGains(mix, {{&music(), atMusic}}, static_cast<size_t>(atMusic) + kSettle, swap - kSettle);
    expectGain(musicOnly.gains[0], 0.99, "music before the key");
    EXPECT_LT(musicOnly.residualShare, 0.01) << "something besides the music before the key";

    std::vector<int64_t> sea = locateSources(mix, {&gulls(), &ocean()}, swap - kSettle, kSearchFrames, kSegmentFrames);
    int64_t atGulls = sea[0], atOcean = sea[1];
    EXPECT_LT(std::llabs(atGulls - static_cast<int64_t>(swap)), static_cast<int64_t>(kSettle)) << "gulls start at the key";
    EXPECT_LT(std::llabs(atOcean - static_cast<int64_t>(swap)), static_cast<int64_t>(kSettle)) << "ocean starts at the key";
    size_t after = swap + kSettle;
    Fit afterKey = fitGains(mix, {{&gulls(), atGulls}, {&ocean(), atOcean}, {&music(), atMusic}}, after, after + 15 * kRate);
    expectGain(afterKey.gains[0], 0.79, "gulls after the key");
    expectGain(afterKey.gains[1], 0.39, "ocean after the key");
    EXPECT_LT(std::fabs(afterKey.gains[2]), 0.01) << "the music is paused";
    EXPECT_LT(afterKey.residualShare, 0.02);
}

TEST_F(ZeroAudio, HalfSoundVolumePlaysTheGullsAtFortyAndTheOceanAtTwenty)
{
    writeSettings("sound_vo=50\r\n");
    runUntil(40 * kRate);
    ASSERT_FALSE(HasFatalFailure());
    size_t first = searchStart(mix);
    auto [atGulls, atOcean, atMusic] = locateAll(first);
    size_t from = static_cast<size_t>(std::max({atGulls, atOcean, atMusic})) + kSettle;
    Fit fit = fitGains(mix, {{&gulls(), atGulls}, {&ocean(), atOcean}, {&music(), atMusic}}, from, from + 15 * kRate);
    expectGain(fit.gains[0], 0.40, "gulls");
    expectGain(fit.gains[1], 0.20, "ocean");
    expectGain(fit.gains[2], 0.99, "music");
    EXPECT_LT(fit.residualShare, 0.02);
}

TEST_F(ZeroAudio, ZeroSoundVolumeLeavesOnlyTheMusicAudible)
{
    writeSettings("sound_vo=0\r\n");
    runUntil(30 * kRate);
    ASSERT_FALSE(HasFatalFailure());
    std::string err = zero.stderrText();
    EXPECT_NE(err.find("audio stream 0: seagulls.mp3"), std::string::npos) << err;
    EXPECT_NE(err.find("audio stream 1: ocean.mp3"), std::string::npos) << err;
    int64_t atMusic = locate(music(), searchStart(mix));
    size_t from = static_cast<size_t>(atMusic) + kSettle;
    Fit fit = fitGains(mix, {{&music(), atMusic}}, from, from + 20 * kRate);
    expectGain(fit.gains[0], 0.99, "music");
    EXPECT_LT(fit.residualShare, 0.01) << "the sea sounds must be silent";
}

TEST_F(ZeroAudio, WithoutOceanInThePackTheMusicBecomesStreamOne)
{
    // The built pack again, without "ocean.mp3".
    fs::path work = dir.path + "-pack";
    fs::create_directories(work);
    std::string pack = dir.path + "/data.res";
    std::string listing = shell(std::string(QUELM_RESPACK) + " list " + pack);
    std::string files;
    std::istringstream lines(listing);
    for (std::string name, rest; lines >> name && std::getline(lines, rest);) {
        if (name == "ocean.mp3") continue;
        shell(std::string(QUELM_RESPACK) + " extract " + pack + " " + name + " " + (work / name).string());
        files += " " + (work / name).string();
    }
    fs::remove(pack);   // the link to the built pack
    int status = -1;
    shell(std::string(QUELM_RESPACK) + " create " + pack + files, &status);
    fs::remove_all(work);
    ASSERT_EQ(status, 0);
    // With the sea sounds off, the music alone shows which stream the music index names.
    writeSettings("sound_on=0\r\n");

    ASSERT_TRUE(zero.start(dir.path, "zero", environment()));
    ASSERT_TRUE(zero.waitExit(30.0)) << "the failed load ends the run before its first frame";
    std::string err = zero.stderrText();
    EXPECT_FALSE(zero.signalled) << err;
    EXPECT_EQ(zero.exitCode, 0);
    EXPECT_NE(err.find("[ocean.mp3] RES NOT FOUND"), std::string::npos) << err;
    EXPECT_NE(err.find("[BASS Error] BASS could not load file"), std::string::npos) << err;
    EXPECT_NE(err.find("audio stream 0: seagulls.mp3"), std::string::npos) << err;
    EXPECT_NE(err.find("audio stream 1: tr1.ogg"), std::string::npos) << err;
    EXPECT_NE(err.find("shutting down after 0 frames"), std::string::npos) << err;
    EXPECT_NE(err.find("shutdown complete"), std::string::npos) << err;
    std::vector<std::string> after = dir.entries();
    EXPECT_EQ(std::find(after.begin(), after.end(), "ScrTempFd"), after.end()) << "temporary folder left behind";

    // The music index names stream 1: the music plays. The run ends straight after start-up, so
    // the mix holds at most a buffer or two of it, sometimes none; a few runs make sure of one.
    const size_t kBuffer = 1024;
    bool heard = false;
    for (int attempt = 0; attempt < 8 && !heard; ++attempt) {
        if (attempt > 0) {
            RunningProgram again;
            ASSERT_TRUE(again.start(dir.path, "zero", environment()));
            ASSERT_TRUE(again.waitExit(30.0));
        }
        mix = readDiskMix(mixPath);
        size_t first = searchStart(mix);
        if (first >= mix.frames()) continue;
        size_t sounding = mix.frames() - first;
        Alignment a = alignSource(mix, music(), first, sounding, 0, std::min(sounding, kBuffer));
        // Whatever sounds is the music (the sea sounds are off), from its first frame on.
        EXPECT_GT(a.correlation, 0.999) << "something other than the music sounds";
        // Up to where shutdown freed it: the device closes a moment later, writing silence.
        size_t end = mix.frames();
        while (end > first && mix.at(end - 1, 0) == 0.0f && mix.at(end - 1, 1) == 0.0f) --end;
        Fit fit = fitGains(mix, {{&music(), a.mixFrameOfSourceStart}}, first, end);
        // Its first buffer may play before its volume is set, at the library's full 100.
        EXPECT_NEAR(fit.gains[0], 0.995, 0.006);
        heard = true;
    }
    EXPECT_TRUE(heard) << "the music never reached the mix";
}

TEST_F(ZeroAudio, NoAudioDeviceShowsTheLibraryErrorAndEndsBeforeTheFirstFrame)
{
    ASSERT_TRUE(zero.start(dir.path, "zero", environment("no-such-driver")));
    ASSERT_TRUE(zero.waitExit(30.0));
    std::string err = zero.stderrText();
    EXPECT_FALSE(zero.signalled) << err;
    EXPECT_EQ(zero.exitCode, 0);
    size_t message = err.find("[BASS Error] BASS could not be initialized");
    ASSERT_NE(message, std::string::npos) << err;
    EXPECT_EQ(err.find("BASS could not be initialized", message + 20), std::string::npos) << "shown once";
    EXPECT_EQ(err.find("Incorrect BASS.DLL"), std::string::npos) << err;
    EXPECT_NE(err.find("shutting down after 0 frames"), std::string::npos) << err;
    EXPECT_NE(err.find("shutdown complete"), std::string::npos) << err;
    EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
    EXPECT_FALSE(fs::exists(mixPath));
}

// In a window a daemon lends, a machine without a sound device still gets its picture: one line
// says so, no message waits for a click, and the run goes on silent until it is ended.
TEST_F(ZeroAudio, InALentWindowWithoutADeviceTheRunGoesOnSilent)
{
    RunningProgram pane;
    ASSERT_TRUE(pane.start("/", "/usr/bin/xev", {}, {"-geometry", "320x240", "-name", "QuelmSilentPane"}));
    auto window = waitForWindow("QuelmSilentPane", 10.0);
    ASSERT_TRUE(window) << displayReport();
    auto env = environment("no-such-driver");
    env["XSCREENSAVER_WINDOW"] = window->id;
    ASSERT_TRUE(zero.start(dir.path, "zero", env));
    ASSERT_TRUE(zero.waitForOutput("first frame shown", 60.0)) << zero.stderrText();
    zero.signal(SIGTERM);
    ASSERT_TRUE(zero.waitExit(15.0));
    const std::string err = zero.stderrText();
    EXPECT_EQ(zero.exitCode, 0) << err;
    const std::string said = "zero: no sound device: running silent\n";
    const size_t line = err.find(said);
    ASSERT_NE(line, std::string::npos) << err;
    EXPECT_EQ(err.find("running silent", line + said.size()), std::string::npos) << "said once\n" << err;
    EXPECT_EQ(err.find("BASS"), std::string::npos) << err;
    EXPECT_EQ(err.find("audio stream"), std::string::npos) << "no stream opened\n" << err;
    EXPECT_EQ(err.find("shutting down after 0 frames"), std::string::npos) << err;
    EXPECT_EQ(dir.entries(), before) << "the run left something in the program directory";
}
