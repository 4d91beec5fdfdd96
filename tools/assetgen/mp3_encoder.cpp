// libmp3lame wrapper: whole buffer in, MP3 bytes out, the first frame overwritten with the tag.
#include "mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>

static constexpr int kChunkFrames = 8192;
static constexpr int kHighQuality = 2;   // LAME's algorithm quality: 0 best, 9 fastest

std::vector<uint8_t> encodeMp3(const StereoBuffer& sound, int kbps)
{
    lame_global_flags* lame = lame_init();
    if (!lame) return {};
    lame_set_num_channels(lame, 2);
    lame_set_in_samplerate(lame, kSoundRate);
    lame_set_out_samplerate(lame, kSoundRate);
    lame_set_brate(lame, kbps);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_quality(lame, kHighQuality);
    lame_set_bWriteVbrTag(lame, 1);   // the "Info" tag carries delay and padding for gapless decoding
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return {};
    }
    std::vector<uint8_t> out;
    // The worst case LAME documents: 1.25 × samples + 7200 bytes.
    std::vector<unsigned char> chunk(kChunkFrames * 5 / 4 + 7200);
    bool ok = true;
    for (size_t at = 0; at < sound.frames() && ok; at += kChunkFrames) {
        int n = static_cast<int>(std::min<size_t>(kChunkFrames, sound.frames() - at));
        int got = lame_encode_buffer_ieee_float(lame, &sound.left[at], &sound.right[at], n, chunk.data(),
                                                static_cast<int>(chunk.size()));
        if (got < 0) ok = false;
        else out.insert(out.end(), chunk.begin(), chunk.begin() + got);
    }
    int got = ok ? lame_encode_flush(lame, chunk.data(), static_cast<int>(chunk.size())) : -1;
    if (got < 0) ok = false;
    else out.insert(out.end(), chunk.begin(), chunk.begin() + got);
    if (ok) {
        size_t tagBytes = lame_get_lametag_frame(lame, chunk.data(), chunk.size());
        if (tagBytes > 0 && tagBytes <= out.size()) std::memcpy(out.data(), chunk.data(), tagBytes);
    }
    lame_close(lame);
    if (!ok) out.clear();
    return out;
}
