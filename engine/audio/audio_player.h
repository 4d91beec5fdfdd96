// The engine's audio player: the looping streams (two sea sounds, one music track) opened from
// the files that the resource pack extracts, and the few operations start-up and the sound key use.
#pragma once

#include "assets/pack.h"

#include <cstdint>
#include <vector>

class AudioPlayer {
public:
    ~AudioPlayer();   // process exit: frees whatever is still counted

    // Version check, then the output device for the engine's window.
    void init(void* window);
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

    // Runs before each failure message (the engine stops its run and shows the cursor).
    void (*onFailure)() = nullptr;

    const std::vector<uint32_t>& streams() const { return streams_; }
    int32_t streamCount() const { return static_cast<int32_t>(streams_.size()); }

    int32_t musicIndex = 0;   // the music's stream: the count of streams loaded before it

private:
    bool known(int index) const { return index >= 0 && index < streamCount(); }
    void fail(const char* text, const char* caption);

    std::vector<uint32_t> streams_;
    bool deviceOpen_ = false;
};

// The sea sounds' fixed slots; the music's slot is counted at start-up.
constexpr int kSeagullSlot = 0;
constexpr int kOceanSlot = 1;
