// Measuring what the audio output did: decoded reference files, the disk driver's raw mix,
// the offset at which a source starts inside a mix, least-squares gains of sources in a mix,
// and sample-to-sample steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Interleaved float frames.
struct Sound {
    int channels = 2;
    int rate = 44100;
    std::vector<float> samples;
    size_t frames() const { return samples.size() / static_cast<size_t>(channels); }
    float at(size_t frame, int channel) const { return samples[frame * static_cast<size_t>(channels) + static_cast<size_t>(channel)]; }
};

// The whole file through libsndfile; empty samples when it cannot be read.
Sound decodeSoundFile(const std::string& path);
// SDL's disk driver output as the stream library opens it: signed 16-bit stereo at 44100 Hz.
Sound readDiskMix(const std::string& path);
// Writes interleaved frames as 16-bit PCM WAV (for building test inputs).
bool writeWav(const std::string& path, const Sound& sound);

// The frame in mix (searched from 'from' for 'length' frames) where source frame 'sourceStart'
// lines up best, by cross-correlation of the channel sums; also the normalised correlation found.
struct Alignment {
    int64_t mixFrameOfSourceStart = -1;   // where source frame 0 lies (may be before 'from')
    double correlation = 0.0;
};
Alignment alignSource(const Sound& mix, const Sound& source, size_t from, size_t length, size_t sourceStart,
                      size_t sourceLength);

// Lines up several sources that play together: the best-matching one first, then each next one
// in what is left after the ones found so far are taken out, so quiet sources are found under
// loud ones. Results in the order of 'sources' (frame of each source's frame 0, -1 if not found).
std::vector<int64_t> locateSources(const Sound& mix, const std::vector<const Sound*>& sources, size_t from,
                                   size_t length, size_t segmentLength);

// A source placed in the mix: frame t of the mix holds source frame (t - offset) mod its length,
// counted only from offset onward.
struct Placed {
    const Sound* source;
    int64_t offset;
};
struct Fit {
    std::vector<double> gains;
    double residualShare = 1.0;   // RMS of what the fit leaves, over RMS of the mix
    size_t clippedFrames = 0;     // frames left out because the mix was at full scale
};
Fit fitGains(const Sound& mix, const std::vector<Placed>& sources, size_t from, size_t to);

// Largest |x[t+1] - x[t]| over either channel for t in [from, to - 1).
double largestStep(const Sound& sound, size_t from, size_t to);
