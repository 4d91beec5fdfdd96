// Ogg Vorbis encoding of a stereo buffer through libvorbisenc; the last page's granule position
// gives decoders the exact length, so a looping file repeats without a gap.
#pragma once

#include "sound_buffer.h"

#include <cstdint>
#include <vector>

// quality from -0.1 to 1.0 (Vorbis VBR); serial is the logical stream's number, fixed so that
// the output is the same on every run. Empty result when the encoder fails.
std::vector<uint8_t> encodeOgg(const StereoBuffer& sound, float quality, int serial);
