// The stream library against SDL's disk driver: device lifetime, what a stream accepts, and what
// reaches the output: the file at its volume, looped without a gap, converted, paused and resumed.
#include "audio/stream_library.h"

#include "audio_test_files.h"

#include <gtest/gtest.h>

#include <fstream>

static constexpr double kOneStep = 2.5 / 32767.0;   // rounding of the 16-bit output and input

TEST(StreamLibraryVersion, ReportsTwoPointTwoWithTheLibrariesItWasBuiltAgainst)
{
    EXPECT_EQ(streamLibraryVersion(), kStreamLibraryVersion);
    EXPECT_EQ(kStreamLibraryVersion, 0x20002u);
}

TEST(StreamLibraryVersion, ComparesMajorThenMinorThenPatch)
{
    EXPECT_TRUE(versionAtLeast(2, 26, 5, 2, 26, 5));
    EXPECT_TRUE(versionAtLeast(2, 26, 6, 2, 26, 5));
    EXPECT_TRUE(versionAtLeast(2, 27, 0, 2, 26, 5));
    EXPECT_TRUE(versionAtLeast(3, 0, 0, 2, 26, 5));
    EXPECT_FALSE(versionAtLeast(2, 26, 4, 2, 26, 5));
    EXPECT_FALSE(versionAtLeast(2, 25, 9, 2, 26, 5));
    EXPECT_FALSE(versionAtLeast(1, 99, 99, 2, 0, 0));
}

TEST(StreamLibraryVersion, ReadsTheNumbersOutOfAVersionText)
{
    int a = 0, b = 0, c = 0;
    ASSERT_TRUE(parseVersionText("libsndfile-1.2.0", a, b, c));
    EXPECT_EQ(a * 10000 + b * 100 + c, 10200);
    ASSERT_TRUE(parseVersionText("1.0.31-exp2", a, b, c));
    EXPECT_EQ(a * 10000 + b * 100 + c, 10031);
    EXPECT_FALSE(parseVersionText("libsndfile", a, b, c));
    EXPECT_FALSE(parseVersionText("1.2", a, b, c));
    EXPECT_FALSE(parseVersionText(nullptr, a, b, c));
}

class StreamLibrary : public ::testing::Test {
protected:
    AudioFolder folder;
    void TearDown() override { streamLibraryFree(); }
    Sound stopAndRead()
    {
        streamLibraryFree();
        return readDiskMix(folder.output);
    }
};

TEST_F(StreamLibrary, DeviceOpensOnceAndFreeClosesIt)
{
    EXPECT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    EXPECT_FALSE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr)) << "a second init must be refused";
    EXPECT_TRUE(streamLibraryFree());
    EXPECT_FALSE(streamLibraryFree());
    EXPECT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
}

TEST_F(StreamLibrary, NoDeviceWithAnUnknownDriverOrDeviceNumber)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    std::string wav = folder.write("a.wav", testSignal(1000));
    EXPECT_EQ(streamCreateFile(false, wav.c_str(), 0, 0, kStreamLoop), 0u);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    EXPECT_FALSE(streamLibraryInit(99, 44100, 0, nullptr));
    EXPECT_FALSE(streamLibraryInit(0, 44100, 0, nullptr));
    EXPECT_FALSE(streamLibraryInit(kDefaultDevice, 0, 0, nullptr));
    EXPECT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr)) << "a refused init leaves nothing open";
}

TEST_F(StreamLibrary, StreamsOnlyWhatItCanOpen)
{
    std::string wav = folder.write("a.wav", testSignal(1000));
    EXPECT_EQ(streamCreateFile(false, wav.c_str(), 0, 0, kStreamLoop), 0u) << "no device yet";
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    std::string text = (folder.dir / "notes.mp3").string();
    std::ofstream(text) << "not a sound at all\n";
    EXPECT_EQ(streamCreateFile(false, text.c_str(), 0, 0, kStreamLoop), 0u);
    EXPECT_EQ(streamCreateFile(false, (folder.dir / "missing.ogg").c_str(), 0, 0, kStreamLoop), 0u);
    EXPECT_EQ(streamCreateFile(false, nullptr, 0, 0, kStreamLoop), 0u);
    EXPECT_EQ(streamCreateFile(true, wav.c_str(), 0, 0, kStreamLoop), 0u) << "memory streams are not offered";
    EXPECT_EQ(streamCreateFile(false, wav.c_str(), 44, 0, kStreamLoop), 0u);
    EXPECT_EQ(streamCreateFile(false, wav.c_str(), 0, 100, kStreamLoop), 0u);
    EXPECT_EQ(streamCreateFile(false, wav.c_str(), 0, 0, 0x100), 0u);
    uint32_t a = streamCreateFile(false, wav.c_str(), 0, 0, kStreamLoop);
    uint32_t b = streamCreateFile(false, wav.c_str(), 0, 0, 0);
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(channelIsActive(a), kChannelStopped);
}

TEST_F(StreamLibrary, ArgumentsOutsideTheTableAreRefused)
{
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, folder.write("a.wav", testSignal(1000)).c_str(), 0, 0, kStreamLoop);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 0, kUnchangedPan));
    EXPECT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 100, kUnchangedPan));
    EXPECT_TRUE(channelSetAttributes(h, kUnchangedFrequency, -1, kUnchangedPan));
    EXPECT_FALSE(channelSetAttributes(h, kUnchangedFrequency, 101, kUnchangedPan));
    EXPECT_FALSE(channelSetAttributes(h, kUnchangedFrequency, -2, kUnchangedPan));
    EXPECT_FALSE(channelSetAttributes(h, 22050, 50, kUnchangedPan));
    EXPECT_FALSE(channelSetAttributes(h, kUnchangedFrequency, 50, 0));
    for (uint32_t unknown : {0u, h + 1, 1000u}) {
        EXPECT_FALSE(channelSetAttributes(unknown, kUnchangedFrequency, 50, kUnchangedPan));
        EXPECT_FALSE(channelPlay(unknown, false));
        EXPECT_FALSE(channelPause(unknown));
        EXPECT_EQ(channelIsActive(unknown), kChannelStopped);
        EXPECT_FALSE(streamFree(unknown));
    }
    EXPECT_FALSE(channelPause(h)) << "a stream that is not playing cannot be paused";
}

TEST_F(StreamLibrary, NothingPlayingGivesSilence)
{
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    ASSERT_NE(streamCreateFile(false, folder.write("a.wav", testSignal(1000)).c_str(), 0, 0, kStreamLoop), 0u);
    ASSERT_TRUE(folder.waitForOutput(50000));
    Sound mix = stopAndRead();
    EXPECT_EQ(firstSounding(mix), mix.frames());
}

TEST_F(StreamLibrary, PlaysTheFileAtItsVolumeAndLoopsWithoutAGap)
{
    const size_t kLength = 5003;   // not a multiple of any buffer size
    Sound source = decodeSoundFile(folder.write("a.wav", testSignal(kLength)));
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, (folder.dir / "a.wav").c_str(), 0, 0, kStreamLoop);
    ASSERT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 50, kUnchangedPan));
    ASSERT_TRUE(channelPlay(h, false));
    EXPECT_EQ(channelIsActive(h), kChannelPlaying);
    size_t start = 0;
    ASSERT_TRUE(folder.waitForOutput(40 * kLength + 100000));
    Sound mix = stopAndRead();
    start = firstSounding(mix);
    ASSERT_LT(start + 30 * kLength, mix.frames());
    double worst = 0.0;
    for (size_t k = 0; k < 30 * kLength; ++k)
        for (int c = 0; c < 2; ++c)
            worst = std::max(worst, std::fabs(static_cast<double>(mix.at(start + k, c)) - 0.5 * source.at(k % kLength, c)));
    EXPECT_LT(worst, kOneStep) << "the output is the file at half volume, repeated end to start";
    // Across each loop point the output steps no further than the file does within itself.
    double ordinary = 0.5 * largestStep(source, 0, kLength);
    for (size_t loop = 1; loop < 30; ++loop)
        EXPECT_LE(largestStep(mix, start + loop * kLength - 50, start + loop * kLength + 50),
                  std::max(ordinary, 0.5 * std::fabs(source.at(0, 0) - source.at(kLength - 1, 0))) + kOneStep);
}

TEST_F(StreamLibrary, ConvertsRateAndChannelsToTheDevice)
{
    // One second of a 441 Hz sine, mono at 22050 Hz: on a stereo 44100 Hz device it stays 441 Hz on both sides.
    Sound mono;
    mono.channels = 1;
    mono.rate = 22050;
    for (int t = 0; t < 22050; ++t) mono.samples.push_back(static_cast<float>(0.5 * std::sin(2.0 * M_PI * 441.0 * t / 22050.0)));
    std::string path = folder.write("mono.wav", mono);
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, path.c_str(), 0, 0, kStreamLoop);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 100, kUnchangedPan));
    ASSERT_TRUE(channelPlay(h, false));
    ASSERT_TRUE(folder.waitForOutput(10 * 44100));
    Sound mix = stopAndRead();
    size_t from = firstSounding(mix) + 44100;   // clear of the converter's start
    ASSERT_LT(from + 4 * 44100, mix.frames());
    int crossings = 0;
    float peak = 0.0f;
    for (size_t t = from; t < from + 4 * 44100; ++t) {
        EXPECT_NEAR(mix.at(t, 0), mix.at(t, 1), kOneStep);
        if ((mix.at(t, 0) < 0.0f) != (mix.at(t + 1, 0) < 0.0f)) ++crossings;
        peak = std::max(peak, std::fabs(mix.at(t, 0)));
    }
    EXPECT_NEAR(crossings, 4 * 882, 4);
    EXPECT_NEAR(peak, 0.5f, 0.01f);
}

TEST_F(StreamLibrary, PauseHoldsThePositionAndPlayResumesFromIt)
{
    const size_t kLength = 200000;
    Sound source = decodeSoundFile(folder.write("a.wav", testSignal(kLength)));
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, (folder.dir / "a.wav").c_str(), 0, 0, kStreamLoop);
    ASSERT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 100, kUnchangedPan));
    ASSERT_TRUE(channelPlay(h, false));
    ASSERT_TRUE(folder.waitForOutput(60000));
    ASSERT_TRUE(channelPause(h));
    EXPECT_EQ(channelIsActive(h), kChannelPaused);
    EXPECT_FALSE(channelPause(h));
    std::error_code ec;
    size_t pausedAt = std::filesystem::file_size(folder.output, ec) / 4;
    ASSERT_TRUE(folder.waitForOutput(pausedAt + 60000));
    ASSERT_TRUE(channelPlay(h, false));
    EXPECT_EQ(channelIsActive(h), kChannelPlaying);
    size_t resumedAt = std::filesystem::file_size(folder.output, ec) / 4;
    ASSERT_TRUE(folder.waitForOutput(resumedAt + 60000));
    Sound mix = stopAndRead();

    size_t start = firstSounding(mix);
    size_t stop = firstSilent(mix, start);
    size_t resume = firstSounding(mix, stop);
    ASSERT_LT(resume + 40000, mix.frames());
    EXPECT_GE(resume - stop, 40000u) << "silence while paused";
    size_t played = stop - start;
    double worst = 0.0;
    for (size_t k = 0; k < 40000; ++k)
        for (int c = 0; c < 2; ++c)
            worst = std::max(worst, std::fabs(static_cast<double>(mix.at(resume + k, c)) - source.at((played + k) % kLength, c)));
    EXPECT_LT(worst, kOneStep) << "playback resumes at frame " << played << ", where it was paused";
}

TEST_F(StreamLibrary, RestartBeginsAgainFromTheStart)
{
    const size_t kLength = 300000;
    Sound source = decodeSoundFile(folder.write("a.wav", testSignal(kLength)));
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, (folder.dir / "a.wav").c_str(), 0, 0, kStreamLoop);
    ASSERT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 100, kUnchangedPan));
    ASSERT_TRUE(channelPlay(h, false));
    ASSERT_TRUE(folder.waitForOutput(60000));
    ASSERT_TRUE(channelPause(h));
    std::error_code ec;
    size_t pausedAt = std::filesystem::file_size(folder.output, ec) / 4;
    ASSERT_TRUE(folder.waitForOutput(pausedAt + 20000));
    ASSERT_TRUE(channelPlay(h, true));
    size_t resumedAt = std::filesystem::file_size(folder.output, ec) / 4;
    ASSERT_TRUE(folder.waitForOutput(resumedAt + 20000));
    Sound mix = stopAndRead();
    size_t resume = firstSounding(mix, firstSilent(mix, firstSounding(mix)));
    ASSERT_LT(resume + 10000, mix.frames());
    for (size_t k = 0; k < 10000; ++k) ASSERT_NEAR(mix.at(resume + k, 0), source.at(k, 0), kOneStep) << k;
}

TEST_F(StreamLibrary, AStreamWithoutTheLoopFlagStopsAtItsEnd)
{
    const size_t kLength = 7000;
    Sound source = decodeSoundFile(folder.write("a.wav", testSignal(kLength)));
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    uint32_t h = streamCreateFile(false, (folder.dir / "a.wav").c_str(), 0, 0, 0);
    ASSERT_TRUE(channelSetAttributes(h, kUnchangedFrequency, 100, kUnchangedPan));
    ASSERT_TRUE(channelPlay(h, false));
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (channelIsActive(h) == kChannelPlaying && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(channelIsActive(h), kChannelStopped);
    std::error_code ec;
    ASSERT_TRUE(folder.waitForOutput(std::filesystem::file_size(folder.output, ec) / 4 + 20000));
    Sound mix = stopAndRead();
    size_t start = firstSounding(mix);
    EXPECT_EQ(firstSilent(mix, start) - start, kLength) << "the whole file once, then silence";
    EXPECT_EQ(firstSounding(mix, start + kLength), mix.frames());
}

TEST_F(StreamLibrary, FreedStreamsAreGoneAndTheirHandlesRefused)
{
    ASSERT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    std::string wav = folder.write("a.wav", testSignal(1000));
    uint32_t a = streamCreateFile(false, wav.c_str(), 0, 0, kStreamLoop);
    uint32_t b = streamCreateFile(false, wav.c_str(), 0, 0, kStreamLoop);
    ASSERT_TRUE(channelPlay(a, false));
    ASSERT_TRUE(channelPlay(b, false));
    EXPECT_TRUE(streamFree(a));
    EXPECT_FALSE(streamFree(a));
    EXPECT_FALSE(channelPlay(a, false));
    EXPECT_EQ(channelIsActive(a), kChannelStopped);
    EXPECT_EQ(channelIsActive(b), kChannelPlaying) << "freeing one stream leaves the others";
    EXPECT_TRUE(streamLibraryFree());
    EXPECT_FALSE(channelPlay(b, false)) << "freeing the library frees every stream";
}
