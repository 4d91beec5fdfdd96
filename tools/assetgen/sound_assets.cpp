// The pack's sound files: the synthesised surf and gulls as MP3, the tune as Ogg Vorbis.
#include "sound_assets.h"

#include "mp3_encoder.h"
#include "ogg_encoder.h"

static constexpr int kSeaKbps = 160;
static constexpr float kTuneQuality = 0.5f;   // Vorbis VBR, about 160 kbit/s
static constexpr int kTuneSerial = 0x51E1;

std::vector<uint8_t> makeOceanMp3(uint64_t seed) { return encodeMp3(synthesiseOcean(seed), kSeaKbps); }
std::vector<uint8_t> makeSeagullsMp3(uint64_t seed) { return encodeMp3(synthesiseSeagulls(seed), kSeaKbps); }
std::vector<uint8_t> makeTuneOgg(uint64_t seed) { return encodeOgg(synthesiseTune(seed), kTuneQuality, kTuneSerial); }
