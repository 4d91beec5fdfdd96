// The stream library over SDL audio and libsndfile: one device whose callback mixes every playing
// stream, each decoding its file in small blocks and converting rate and channels through an
// SDL_AudioStream. The only file that knows either library.
#include "audio/stream_library.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

// Frames decoded from a file at a time: small, so memory stays flat whatever the file's length.
static constexpr int kDecodeFrames = 4096;
static constexpr int kOutputChannels = 2;
static constexpr Uint16 kDeviceBufferFrames = 1024;
static constexpr float kFullVolume = 100.0f;

namespace {

struct Stream {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    SDL_AudioStream* convert = nullptr;
    std::vector<float> block;   // one decoded block, interleaved in the file's channels
    float gain = 1.0f;
    uint32_t state = kChannelStopped;   // a new stream waits at its start
    bool loop = false;
    bool ended = false;         // the file's end reached without looping; what is converted still plays

    ~Stream()
    {
        if (convert) SDL_FreeAudioStream(convert);
        if (file) sf_close(file);
    }
};

struct Library {
    SDL_AudioDeviceID device = 0;
    int frequency = 0;
    std::vector<std::unique_ptr<Stream>> streams;   // a handle is its index + 1; freed slots stay empty
    std::vector<float> mix;
    std::vector<float> pulled;
};

Library g_library;

}   // namespace

bool versionAtLeast(int major, int minor, int patch, int minMajor, int minMinor, int minPatch)
{
    if (major != minMajor) return major > minMajor;
    if (minor != minMinor) return minor > minMinor;
    return patch >= minPatch;
}

bool parseVersionText(const char* text, int& major, int& minor, int& patch)
{
    if (!text) return false;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') continue;
        int a = 0, b = 0, c = 0;
        if (std::sscanf(p, "%d.%d.%d", &a, &b, &c) == 3) {
            major = a;
            minor = b;
            patch = c;
            return true;
        }
    }
    return false;
}

uint32_t streamLibraryVersion()
{
    SDL_version built;
    SDL_VERSION(&built);
    SDL_version linked;
    SDL_GetVersion(&linked);
    if (!versionAtLeast(linked.major, linked.minor, linked.patch, built.major, built.minor, built.patch)) return 0;

    int major = 0, minor = 0, patch = 0, minMajor = 0, minMinor = 0, minPatch = 0;
    if (!parseVersionText(sf_version_string(), major, minor, patch) ||
        !parseVersionText(QUELM_SNDFILE_BUILT_VERSION, minMajor, minMinor, minPatch) ||
        !versionAtLeast(major, minor, patch, minMajor, minMinor, minPatch))
        return 0;
    return kStreamLibraryVersion;
}

static Stream* findStream(uint32_t handle)
{
    if (handle == 0 || handle > g_library.streams.size()) return nullptr;
    return g_library.streams[handle - 1].get();
}

// Feeds decoded blocks into the converter until it holds the frames asked for or the file is done.
static void fillConverter(Stream& s, int bytesWanted)
{
    int emptyReads = 0;
    while (!s.ended && SDL_AudioStreamAvailable(s.convert) < bytesWanted) {
        sf_count_t got = sf_readf_float(s.file, s.block.data(), kDecodeFrames);
        if (got > 0) {
            emptyReads = 0;
            SDL_AudioStreamPut(s.convert, s.block.data(),
                               static_cast<int>(got * s.info.channels * static_cast<sf_count_t>(sizeof(float))));
            continue;
        }
        // The end of the file: a looping stream goes on from its first frame through the same
        // converter, so the resampler's history carries across and the seam stays continuous.
        if (s.loop && ++emptyReads < 2 && sf_seek(s.file, 0, SEEK_SET) == 0) continue;
        SDL_AudioStreamFlush(s.convert);
        s.ended = true;
    }
}

static void mixCallback(void*, Uint8* out, int len)
{
    Library& lib = g_library;
    size_t samples = static_cast<size_t>(len) / sizeof(int16_t);
    lib.mix.assign(samples, 0.0f);
    lib.pulled.resize(samples);
    int bytesWanted = static_cast<int>(samples * sizeof(float));
    for (const std::unique_ptr<Stream>& slot : lib.streams) {
        if (!slot || slot->state != kChannelPlaying) continue;
        Stream& s = *slot;
        fillConverter(s, bytesWanted);
        int got = SDL_AudioStreamGet(s.convert, lib.pulled.data(), bytesWanted);
        size_t n = got > 0 ? static_cast<size_t>(got) / sizeof(float) : 0;
        for (size_t i = 0; i < n; ++i) lib.mix[i] += lib.pulled[i] * s.gain;
        if (s.ended && SDL_AudioStreamAvailable(s.convert) == 0) s.state = kChannelStopped;
    }
    int16_t* dst = reinterpret_cast<int16_t*>(out);
    for (size_t i = 0; i < samples; ++i) {
        float v = std::clamp(lib.mix[i], -1.0f, 1.0f);
        dst[i] = static_cast<int16_t>(v * 32767.0f);
    }
}

bool streamLibraryInit(int device, uint32_t frequency, uint32_t, void*)
{
    if (g_library.device != 0 || frequency == 0) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    const char* name = nullptr;
    if (device != kDefaultDevice) {
        // Device numbers count from 1, as in the classic library (0 there meant "no sound").
        if (device < 1 || device > SDL_GetNumAudioDevices(0)) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        name = SDL_GetAudioDeviceName(device - 1, 0);
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(frequency);
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = kDeviceBufferFrames;
    want.callback = mixCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the mix is always this format.
    g_library.device = SDL_OpenAudioDevice(name, 0, &want, &have, 0);
    if (g_library.device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    g_library.frequency = want.freq;
    SDL_PauseAudioDevice(g_library.device, 0);
    return true;
}

uint32_t streamCreateFile(bool fromMemory, const char* path, uint64_t offset, uint64_t length, uint32_t flags)
{
    if (g_library.device == 0 || fromMemory || !path || offset != 0 || length != 0 || (flags & ~kStreamLoop) != 0)
        return 0;
    auto s = std::make_unique<Stream>();
    s->file = sf_open(path, SFM_READ, &s->info);
    if (!s->file || s->info.channels < 1 || s->info.samplerate < 1) return 0;
    s->convert = SDL_NewAudioStream(AUDIO_F32SYS, static_cast<Uint8>(s->info.channels), s->info.samplerate,
                                    AUDIO_F32SYS, kOutputChannels, g_library.frequency);
    if (!s->convert) return 0;   // a channel layout SDL cannot convert
    s->block.resize(static_cast<size_t>(kDecodeFrames) * static_cast<size_t>(s->info.channels));
    s->loop = (flags & kStreamLoop) != 0;

    SDL_LockAudioDevice(g_library.device);
    g_library.streams.push_back(std::move(s));
    uint32_t handle = static_cast<uint32_t>(g_library.streams.size());
    SDL_UnlockAudioDevice(g_library.device);
    return handle;
}

bool channelSetAttributes(uint32_t handle, int frequency, int volume, int pan)
{
    Stream* s = findStream(handle);
    if (!s || frequency != kUnchangedFrequency || pan != kUnchangedPan || volume < -1 || volume > 100) return false;
    if (volume == -1) return true;
    SDL_LockAudioDevice(g_library.device);
    s->gain = static_cast<float>(volume) / kFullVolume;
    SDL_UnlockAudioDevice(g_library.device);
    return true;
}

bool channelPlay(uint32_t handle, bool restart)
{
    Stream* s = findStream(handle);
    if (!s) return false;
    SDL_LockAudioDevice(g_library.device);
    bool ok = true;
    // A stream that ran to its end starts again from the beginning, as does a restart.
    if (restart || s->state == kChannelStopped) {
        ok = sf_seek(s->file, 0, SEEK_SET) == 0;
        SDL_AudioStreamClear(s->convert);
        s->ended = false;
    }
    if (ok) s->state = kChannelPlaying;
    SDL_UnlockAudioDevice(g_library.device);
    return ok;
}

uint32_t channelIsActive(uint32_t handle)
{
    Stream* s = findStream(handle);
    if (!s) return kChannelStopped;
    SDL_LockAudioDevice(g_library.device);
    uint32_t state = s->state;
    SDL_UnlockAudioDevice(g_library.device);
    return state;
}

bool channelPause(uint32_t handle)
{
    Stream* s = findStream(handle);
    if (!s || s->state != kChannelPlaying) return false;
    SDL_LockAudioDevice(g_library.device);
    s->state = kChannelPaused;
    SDL_UnlockAudioDevice(g_library.device);
    return true;
}

bool streamFree(uint32_t handle)
{
    if (!findStream(handle)) return false;
    std::unique_ptr<Stream> gone;
    SDL_LockAudioDevice(g_library.device);
    gone = std::move(g_library.streams[handle - 1]);
    SDL_UnlockAudioDevice(g_library.device);
    return true;   // the file closes here, outside the callback's lock
}

bool streamLibraryFree()
{
    if (g_library.device == 0) return false;
    SDL_CloseAudioDevice(g_library.device);   // the callback has stopped when this returns
    g_library.device = 0;
    g_library.streams.clear();
    g_library.mix = {};
    g_library.pulled = {};
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return true;
}
