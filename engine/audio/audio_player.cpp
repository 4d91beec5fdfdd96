// The audio player's operations over the stream library; failures show the library's messages.
#include "audio/audio_player.h"

#include "audio/stream_library.h"
#include "base/messages.h"

static constexpr uint32_t kOutputFrequency = 44100;

AudioPlayer::~AudioPlayer() { shutdown(); }

// Every failure of the sound stops the run, with the pointer shown for the box.
static void fail(const char* text, const char* caption)
{
    showFatalMessage(text, caption, FailurePointer::Shown);
}

void AudioPlayer::init(void* window, SoundDevice need, const char* reason)
{
    silent_ = false;
    if (need == SoundDevice::Unwanted) {
        silent_ = true;
        logLine("running silent: %s", reason ? reason : "no sound wanted");
        return;
    }
    if (streamLibraryVersion() != kStreamLibraryVersion) fail("BASS version 2.2 was not loaded", "Incorrect BASS.DLL");
    deviceOpen_ = streamLibraryInit(kDefaultDevice, kOutputFrequency, 0, window);
    if (deviceOpen_) return;
    if (need == SoundDevice::Optional) {
        silent_ = true;
        logLine("no sound device: running silent");
        return;
    }
    fail("BASS could not be initialized", "BASS Error");
}

void AudioPlayer::loadStreamFromPack(ResourcePack& pack, const char* name)
{
    if (silent_) return;
    pack.extract(name);
    std::string path = pack.tempPath(name);
    uint32_t handle = streamCreateFile(false, path.c_str(), 0, 0, kStreamLoop);
    if (handle == 0) {
        fail("BASS could not load file", "BASS Error");
        return;
    }
    logLine("audio stream %d: %s", streamCount(), name);
    streams_.push_back(handle);
}

void AudioPlayer::setVolume(int index, int volume)
{
    if (known(index)) channelSetAttributes(streams_[index], kUnchangedFrequency, volume, kUnchangedPan);
}

void AudioPlayer::play(int index)
{
    if (known(index)) channelPlay(streams_[index], false);
}

bool AudioPlayer::isPlaying(int index) const
{
    return known(index) && channelIsActive(streams_[index]) == kChannelPlaying;
}

void AudioPlayer::pause(int index)
{
    if (known(index)) channelPause(streams_[index]);
}

void AudioPlayer::toggle(int index)
{
    if (isPlaying(index)) pause(index);
    else play(index);
}

void AudioPlayer::shutdown()
{
    for (uint32_t handle : streams_) streamFree(handle);
    streams_.clear();
    if (deviceOpen_) streamLibraryFree();
    deviceOpen_ = false;
}
