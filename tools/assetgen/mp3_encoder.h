// MP3 encoding of a stereo buffer through libmp3lame, with the LAME tag that lets decoders
// trim the encoder's delay and padding, so a looping file repeats without a gap.
#pragma once

#include "sound_buffer.h"

#include <cstdint>
#include <vector>

// Constant bit rate in kbit/s; empty result when the encoder fails.
std::vector<uint8_t> encodeMp3(const StereoBuffer& sound, int kbps);
