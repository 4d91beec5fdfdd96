// Surf: a bed of low rumble, and waves that roll in (a swelling roar whose brightness rises),
// break, and wash back (a decaying hiss with the crackle of draining foam).
#include "sound_assets.h"

#include "sound_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

static constexpr float kSurfPeak = 0.6f;
static constexpr int kWavesPerLoop = 7;
static constexpr float kSurfTopHz = 6500.0f;

// Periodic white noise filtered through a low-pass twice round the loop, so the bed has no seam.
static void addRumble(StereoBuffer& loop, Rng& rng)
{
    size_t n = loop.frames();
    std::vector<float> white(n * 2);
    for (float& v : white) v = rng.noise();
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<float>& out = channel == 0 ? loop.left : loop.right;
        OnePoleLowPass a, b;
        float ca = onePoleCoefficient(380.0f), cb = onePoleCoefficient(900.0f);
        for (size_t pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < n; ++i) {
                float x = b.process(a.process(white[channel * n + i], ca), cb);
                // A slow swell: whole cycles per loop keep it periodic.
                float t = static_cast<float>(i) / static_cast<float>(n);
                float swell = 0.75f + 0.15f * std::sin(2.0f * kPi * 3.0f * t) + 0.1f * std::sin(2.0f * kPi * 7.0f * t + 1.0f);
                if (pass == 1) out[i] += x * swell * 2.2f;
            }
    }
}

// One wave, mono: roll-in, break, wash-back, and the fading tail of the wash.
static std::vector<float> renderWave(Rng& rng, float rollSeconds, float washSeconds, float strength)
{
    const float kTailFade = 0.8f;   // seconds over which the last of the wash fades out
    float seconds = rollSeconds + washSeconds * 4.5f;
    size_t frames = static_cast<size_t>(seconds * kSoundRate);
    std::vector<float> out(frames);
    StateVariableFilter roar, fizz;
    OnePoleLowPass crackleSmooth;
    float crackleCoefficient = onePoleCoefficient(2500.0f);
    for (size_t i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSoundRate;
        float roarGain, roarCutoff, fizzGain;
        if (t < rollSeconds) {
            float u = t / rollSeconds;
            float rise = u * u * (3.0f - 2.0f * u);
            roarGain = rise * rise;
            roarCutoff = 180.0f + 2600.0f * rise * rise;
            fizzGain = 0.15f * rise * rise * rise;
        } else {
            float after = t - rollSeconds;
            roarGain = std::exp(-after / (washSeconds * 0.45f));
            roarCutoff = 1200.0f + 4200.0f * std::exp(-after / (washSeconds * 0.35f));
            fizzGain = std::exp(-after / washSeconds) * (1.0f - std::exp(-after / 0.25f)) + 0.15f * std::exp(-after / 0.3f);
        }
        float r = roar.process(rng.noise(), roarCutoff, 0.9f);
        fizz.process(rng.noise(), 5200.0f, 1.3f);
        // Sparse bursts: bubbles bursting as the foam drains back down the sand.
        float grain = rng.noise();
        float crackle = crackleSmooth.process(grain * grain * grain * grain * grain * 4.0f, crackleCoefficient);
        float foam = fizz.band * (0.5f + std::fabs(crackle) * 6.0f);
        float fade = std::min((seconds - t) / kTailFade, 1.0f);
        out[i] = strength * fade * (r * roarGain * 0.9f + foam * fizzGain * 0.55f);
    }
    return out;
}

StereoBuffer synthesiseOcean(uint64_t seed)
{
    Rng rng(seed ^ 0x0CEA0ull);
    size_t n = static_cast<size_t>(kOceanSeconds * kSoundRate);
    StereoBuffer loop(n);
    addRumble(loop, rng);
    // Evenly spread round the loop with some jitter, so no stretch goes long without a wave.
    for (int wave = 0; wave < kWavesPerLoop; ++wave) {
        double start = (wave + 0.05) * kOceanSeconds / kWavesPerLoop + rng.range(-0.9, 0.9);
        if (start < 0.0) start += kOceanSeconds;
        float roll = static_cast<float>(rng.range(1.6, 2.8));
        float wash = static_cast<float>(rng.range(1.8, 2.8));
        float strength = static_cast<float>(rng.range(0.55, 1.0));
        float pan = static_cast<float>(rng.range(-0.35, 0.35));
        // Two independent renderings spread left and right give the wave its width.
        std::vector<float> a = renderWave(rng, roll, wash, strength);
        std::vector<float> b = renderWave(rng, roll, wash, strength);
        size_t at = static_cast<size_t>(start * kSoundRate);
        mixIntoLoop(loop, a.data(), a.size(), at, 1.0f, std::clamp(pan - 0.5f, -1.0f, 1.0f));
        mixIntoLoop(loop, b.data(), b.size(), at + 331, 1.0f, std::clamp(pan + 0.5f, -1.0f, 1.0f));
    }
    loopReverb(loop, 1.2f, 0.15f, 3000.0f);
    // Surf heard from the beach is dull above the hiss of the foam.
    loopLowPass(loop, kSurfTopHz);
    normalise(loop, kSurfPeak);
    return loop;
}
