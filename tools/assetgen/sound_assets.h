// The pack's three sounds, synthesised from a seed: surf on a beach ("ocean.mp3"), gulls
// calling near and far ("seagulls.mp3") and a calm tropical tune ("tr1.ogg"). Each is a loop:
// its end runs on into its start without a seam.
#pragma once

#include "sound_buffer.h"

#include <cstdint>
#include <vector>

constexpr double kOceanSeconds = 48.0;
constexpr double kSeagullSeconds = 44.0;
// The tune: 40 bars of four beats at 84 beats a minute, about 114 seconds.
constexpr int kTuneBars = 40;
constexpr int kTuneBeatsPerBar = 4;
constexpr int kTuneFramesPerBeat = kSoundRate * 60 / 84;

StereoBuffer synthesiseOcean(uint64_t seed);
StereoBuffer synthesiseSeagulls(uint64_t seed);
StereoBuffer synthesiseTune(uint64_t seed);

// The files as packed: "ocean.mp3", "seagulls.mp3", "tr1.ogg".
std::vector<uint8_t> makeOceanMp3(uint64_t seed);
std::vector<uint8_t> makeSeagullsMp3(uint64_t seed);
std::vector<uint8_t> makeTuneOgg(uint64_t seed);
