// The engine's audio player: the looping streams (two sea sounds, one music track) opened from
// the files that the resource pack extracts, and the few operations start-up and the sound key use.
#pragma once

#include "assets/pack.h"

#include <cstdint>
#include <vector>

// What a run asks of the sound device.
enum class SoundDevice {
    Required,   // the screensaver's own runs: without a device the library's messages are shown
    Optional,   // in a window a daemon or a settings app lends: without a device the run goes on silent
    Unwanted,   // another copy plays the sound, or a preview that nobody listens to: none is opened
};

class AudioPlayer {
public:
    ~AudioPlayer();   // process exit: frees whatever is still counted

    // Version check, then the output device for the engine's window. A silent player (no device
    // where none was wanted or required) loads no streams, and its operations do nothing; one line
    // of the log says why (reason: why none is wanted).
    void init(void* window, SoundDevice need = SoundDevice::Required, const char* reason = nullptr);
    // Extracts the file and opens it as a looping stream appended to the streams; a file that
    // fails is not appended, so later indices shift down.
    void loadStreamFromPack(ResourcePack& pack, const char* name);
    // The calls that name a stream do nothing for an index that was never loaded.
    void setVolume(int index, int volume);
    void play(int index);
    bool isPlaying(int index) const;
    void pause(int index);
    void toggle(int index);
    // Frees every stream in index order, then the device.
    void shutdown();

    const std::vector<uint32_t>& streams() const { return streams_; }
    int32_t streamCount() const { return static_cast<int32_t>(streams_.size()); }

    int32_t musicIndex = 0;   // the music's stream: the count of streams loaded before it

private:
    bool known(int index) const { return index >= 0 && index < streamCount(); }

    std::vector<uint32_t> streams_;
    bool deviceOpen_ = false;
    bool silent_ = false;
};

// The sea sounds' fixed slots; the music's slot is counted at start-up.
constexpr int kSeagullSlot = 0;
constexpr int kOceanSlot = 1;
