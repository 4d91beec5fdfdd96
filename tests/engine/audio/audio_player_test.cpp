// The audio player over a real pack and the disk driver: streams in load order, failures that
// show the library's messages and leave indices shifted, guarded indices, toggling, shutdown.
#include "audio/audio_player.h"

#include "audio/stream_library.h"
#include "audio_test_files.h"
#include "engine/base/fatal_messages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

class AudioPlayerTest : public ::testing::Test {
protected:
    AudioFolder folder;
    fs::path oldDir = fs::current_path();
    ResourcePack pack;
    FatalMessages fatal;

    void SetUp() override
    {
        fs::current_path(folder.dir);
        std::vector<std::pair<std::string, std::vector<uint8_t>>> entries;
        for (const char* name : {"a.wav", "b.wav", "c.wav"}) {
            std::string path = folder.write(std::string("src-") + name, testSignal(3000));
            std::ifstream in(path, std::ios::binary);
            entries.emplace_back(name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
        }
        entries.emplace_back("noise.mp3", std::vector<uint8_t>(5000, 0x5A));
        std::vector<uint8_t> bytes = buildPack(entries);
        std::ofstream("data.res", std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        pack.open("data.res");
    }
    void TearDown() override
    {
        pack.removeTempFiles();
        fs::current_path(oldDir);
    }
};

TEST_F(AudioPlayerTest, StreamsAreAppendedInLoadOrder)
{
    AudioPlayer player;
    testing::internal::CaptureStderr();
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    player.loadStreamFromPack(pack, "B.WAV");   // pack names ignore case
    player.loadStreamFromPack(pack, "c.wav");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fatal.count(), 0u) << err;
    ASSERT_EQ(player.streamCount(), 3);
    ASSERT_EQ(player.streams().size(), 3u);
    EXPECT_NE(player.streams()[0], player.streams()[1]);
    EXPECT_NE(player.streams()[1], player.streams()[2]);
    EXPECT_NE(err.find("audio stream 0: a.wav"), std::string::npos) << err;
    EXPECT_NE(err.find("audio stream 2: c.wav"), std::string::npos) << err;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(player.isPlaying(i)) << "loading does not play";
}

TEST_F(AudioPlayerTest, AFileThatFailsIsNotAppendedAndLaterIndicesShiftDown)
{
    AudioPlayer player;
    player.init(nullptr);
    testing::internal::CaptureStderr();
    player.loadStreamFromPack(pack, "a.wav");
    player.loadStreamFromPack(pack, "ocean.mp3");   // not in the pack
    player.loadStreamFromPack(pack, "noise.mp3");   // in the pack, but not a sound
    player.musicIndex = player.streamCount();
    player.loadStreamFromPack(pack, "c.wav");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[ocean.mp3] RES NOT FOUND"), std::string::npos) << err;
    size_t first = err.find("[BASS Error] BASS could not load file");
    ASSERT_NE(first, std::string::npos) << err;
    EXPECT_NE(err.find("[BASS Error] BASS could not load file", first + 1), std::string::npos) << "one per failed file";
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>(2, FailurePointer::Shown));
    EXPECT_EQ(player.streamCount(), 2);
    EXPECT_EQ(player.musicIndex, 1);
    EXPECT_NE(err.find("audio stream 1: c.wav"), std::string::npos) << err;
    player.play(player.musicIndex);
    EXPECT_TRUE(player.isPlaying(1));
    EXPECT_FALSE(player.isPlaying(0));
}

TEST_F(AudioPlayerTest, CallsNamingAStreamThatWasNeverLoadedDoNothing)
{
    AudioPlayer player;
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    for (int index : {-1, 1, 2, 1000}) {
        player.setVolume(index, 50);
        player.play(index);
        player.pause(index);
        player.toggle(index);
        EXPECT_FALSE(player.isPlaying(index));
    }
    EXPECT_EQ(channelIsActive(player.streams()[0]), kChannelStopped) << "stream 0 untouched";
    AudioPlayer empty;   // nothing initialised, nothing loaded
    empty.toggle(0);
    empty.setVolume(0, 10);
    EXPECT_FALSE(empty.isPlaying(0));
    empty.shutdown();
}

TEST_F(AudioPlayerTest, ToggleFollowsEachStreamsOwnState)
{
    AudioPlayer player;
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    player.loadStreamFromPack(pack, "b.wav");
    player.play(0);
    player.toggle(0);
    player.toggle(1);
    EXPECT_EQ(channelIsActive(player.streams()[0]), kChannelPaused);
    EXPECT_TRUE(player.isPlaying(1)) << "a stream never started starts at its toggle";
    player.toggle(0);
    player.toggle(1);
    EXPECT_TRUE(player.isPlaying(0)) << "a paused stream resumes";
    EXPECT_EQ(channelIsActive(player.streams()[1]), kChannelPaused);
}

TEST_F(AudioPlayerTest, VolumesReachTheOutput)
{
    AudioPlayer player;
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    player.setVolume(0, 40);
    player.play(0);
    ASSERT_TRUE(folder.waitForOutput(100000));
    player.shutdown();
    Sound mix = readDiskMix(folder.output);
    Sound source = decodeSoundFile((folder.dir / "src-a.wav").string());
    size_t start = firstSounding(mix);
    ASSERT_LT(start + 20000, mix.frames());
    for (size_t k = 0; k < 20000; k += 7) ASSERT_NEAR(mix.at(start + k, 1), 0.4 * source.at(k % 3000, 1), 2.5 / 32767.0);
}

TEST_F(AudioPlayerTest, NoDeviceShowsTheInitialisationMessage)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    AudioPlayer player;
    testing::internal::CaptureStderr();
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("[BASS Error] BASS could not be initialized"), std::string::npos) << err;
    EXPECT_NE(err.find("[BASS Error] BASS could not load file"), std::string::npos) << err;
    EXPECT_EQ(err.find("Incorrect BASS.DLL"), std::string::npos) << err;
    EXPECT_EQ(fatal.pointers(), std::vector<FailurePointer>(2, FailurePointer::Shown));
    EXPECT_EQ(player.streamCount(), 0);
    player.play(0);
    player.shutdown();
}

TEST_F(AudioPlayerTest, ShutdownFreesEveryStreamAndTheDevice)
{
    AudioPlayer player;
    player.init(nullptr);
    player.loadStreamFromPack(pack, "a.wav");
    player.loadStreamFromPack(pack, "b.wav");
    player.play(1);
    std::vector<uint32_t> handles = player.streams();
    player.shutdown();
    EXPECT_EQ(player.streamCount(), 0);
    EXPECT_TRUE(player.streams().empty());
    for (uint32_t h : handles) EXPECT_FALSE(channelPlay(h, false));
    player.shutdown();   // a second shutdown finds nothing to free
    EXPECT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr)) << "the device was closed";
    streamLibraryFree();
}

TEST_F(AudioPlayerTest, DestructionFreesWhatIsStillCounted)
{
    {
        AudioPlayer player;
        player.init(nullptr);
        player.loadStreamFromPack(pack, "a.wav");
        player.play(0);
    }
    EXPECT_TRUE(streamLibraryInit(kDefaultDevice, 44100, 0, nullptr));
    streamLibraryFree();
}
