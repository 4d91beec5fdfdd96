// Building blocks for synthesised sounds: filters, noise, envelopes, a small reverb, and mixing
// into loops. Everything that plays across a loop's end wraps around to its start, so the sounds
// made from these repeat seamlessly.
#pragma once

#include "random.h"
#include "sound_buffer.h"

#include <cstddef>

constexpr float kPi = 3.14159265358979f;

// Chamberlin state-variable filter; cutoff and resonance may change every sample.
struct StateVariableFilter {
    float low = 0.0f, band = 0.0f;
    // Returns the low-pass output; band-pass and high-pass are left in band and lastHigh.
    float process(float in, float cutoffHz, float damping);
    float lastHigh = 0.0f;
};

struct OnePoleLowPass {
    float state = 0.0f;
    float process(float in, float coefficient) { return state += coefficient * (in - state); }
};

// One-pole coefficient for a cutoff frequency.
float onePoleCoefficient(float cutoffHz);

// Adds a mono sound into the loop at frame 'at' with a gain and a constant-power pan (-1 left, 1 right).
void mixIntoLoop(StereoBuffer& loop, const float* sound, size_t frames, size_t at, float gain, float pan);

// Runs a stereo feedback-delay reverb over the loop as if it had been playing for ever:
// the loop is passed through twice and the second pass kept, so the tail at the end rings on
// into the start. wet is the share of reverberated sound.
void loopReverb(StereoBuffer& loop, float decaySeconds, float wet, float lowPassHz);

// A one-pole low-pass over the loop, run twice round so that it has no seam.
void loopLowPass(StereoBuffer& loop, float cutoffHz);

// Scales the loop so that its largest sample is peak.
void normalise(StereoBuffer& loop, float peak);

// Attack-decay envelope value at time t (seconds) for exponential decay.
float percussive(float t, float attack, float decay);
