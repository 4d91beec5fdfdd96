// Filters, mixing, reverb and level helpers shared by the synthesised sounds.
#include "sound_synth.h"

#include <algorithm>
#include <array>
#include <cmath>

float StateVariableFilter::process(float in, float cutoffHz, float damping)
{
    // Stable up to about a sixth of the rate; the sounds stay far below that.
    float f = 2.0f * std::sin(kPi * std::min(cutoffHz, kSoundRate / 6.0f) / kSoundRate);
    low += f * band;
    lastHigh = in - low - damping * band;
    band += f * lastHigh;
    return low;
}

float onePoleCoefficient(float cutoffHz) { return 1.0f - std::exp(-2.0f * kPi * cutoffHz / kSoundRate); }

void mixIntoLoop(StereoBuffer& loop, const float* sound, size_t frames, size_t at, float gain, float pan)
{
    float angle = (pan + 1.0f) * 0.25f * kPi;
    float gl = gain * std::cos(angle), gr = gain * std::sin(angle);
    size_t n = loop.frames();
    for (size_t i = 0; i < frames; ++i) {
        size_t j = (at + i) % n;
        loop.left[j] += sound[i] * gl;
        loop.right[j] += sound[i] * gr;
    }
}

void loopReverb(StereoBuffer& loop, float decaySeconds, float wet, float lowPassHz)
{
    // Eight delay lines of mutually prime lengths, mixed by a Householder matrix.
    constexpr std::array<int, 8> kDelays = {1117, 1319, 1523, 1753, 1999, 2213, 2447, 2671};
    std::array<std::vector<float>, 8> lines;
    std::array<size_t, 8> pos{};
    std::array<float, 8> gains{}, damp{};
    for (size_t k = 0; k < kDelays.size(); ++k) {
        lines[k].assign(static_cast<size_t>(kDelays[k]), 0.0f);
        gains[k] = std::pow(0.001f, static_cast<float>(kDelays[k]) / (decaySeconds * kSoundRate));
    }
    float c = onePoleCoefficient(lowPassHz);
    size_t n = loop.frames();
    StereoBuffer wetOut(n);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < n; ++i) {
            std::array<float, 8> taps;
            float sum = 0.0f;
            for (size_t k = 0; k < 8; ++k) {
                taps[k] = lines[k][pos[k]];
                sum += taps[k];
            }
            float outL = taps[0] + taps[2] + taps[4] + taps[6];
            float outR = taps[1] + taps[3] + taps[5] + taps[7];
            float inL = loop.left[i], inR = loop.right[i];
            for (size_t k = 0; k < 8; ++k) {
                float mixed = taps[k] - 0.25f * sum + ((k & 1) ? inR : inL) * 0.35f;
                damp[k] += c * (mixed - damp[k]);
                lines[k][pos[k]] = damp[k] * gains[k];
                pos[k] = (pos[k] + 1) % lines[k].size();
            }
            if (pass == 1) {
                wetOut.left[i] = outL * 0.25f;
                wetOut.right[i] = outR * 0.25f;
            }
        }
    }
    for (size_t i = 0; i < n; ++i) {
        loop.left[i] = loop.left[i] * (1.0f - wet) + wetOut.left[i] * wet;
        loop.right[i] = loop.right[i] * (1.0f - wet) + wetOut.right[i] * wet;
    }
}

void loopLowPass(StereoBuffer& loop, float cutoffHz)
{
    float c = onePoleCoefficient(cutoffHz);
    for (std::vector<float>* channel : {&loop.left, &loop.right}) {
        std::vector<float>& x = *channel;
        OnePoleLowPass filter;
        for (float v : x) filter.process(v, c);   // settles the filter on the loop's end
        for (float& v : x) v = filter.process(v, c);
    }
}

void normalise(StereoBuffer& loop, float peak)
{
    float largest = 0.0f;
    for (size_t i = 0; i < loop.frames(); ++i)
        largest = std::max({largest, std::fabs(loop.left[i]), std::fabs(loop.right[i])});
    if (largest <= 0.0f) return;
    float scale = peak / largest;
    for (size_t i = 0; i < loop.frames(); ++i) {
        loop.left[i] *= scale;
        loop.right[i] *= scale;
    }
}

float percussive(float t, float attack, float decay)
{
    if (t < 0.0f) return 0.0f;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / decay);
}
