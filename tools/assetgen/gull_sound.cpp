// Gulls: each call is a run of harmonic-rich notes whose pitch rises and falls ("kee-ow"),
// roughened at a low rate; birds differ in pitch, distance (level, brightness, reverb) and place.
#include "sound_assets.h"

#include "sound_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

static constexpr float kGullPeak = 0.55f;

struct Gull {
    float pitch;      // fundamental at the top of a note, Hz
    float distance;   // 0 near to 1 far
    float pan;
};

static std::vector<float> renderGullNote(Rng& rng, const Gull& gull, float seconds, float bend)
{
    size_t frames = static_cast<size_t>((seconds + 0.05f) * kSoundRate);
    std::vector<float> out(frames);
    float phase = 0.0f;
    float roughRate = static_cast<float>(rng.range(35.0, 70.0));
    float vibratoRate = static_cast<float>(rng.range(6.0, 10.0));
    StateVariableFilter rasp;
    for (size_t i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSoundRate;
        float u = std::min(t / seconds, 1.0f);
        // Fast rise to the top, slower fall: the call's "kee-ow".
        float contour = u < 0.25f ? 0.78f + 0.22f * std::sin(0.5f * kPi * u / 0.25f)
                                  : 1.0f - bend * (u - 0.25f) / 0.75f;
        float f = gull.pitch * contour * (1.0f + 0.012f * std::sin(2.0f * kPi * vibratoRate * t));
        phase += 2.0f * kPi * f / kSoundRate;
        if (phase > 2.0f * kPi) phase -= 2.0f * kPi;
        float tone = 0.0f;
        for (int k = 1; k <= 9; ++k) {
            float hz = f * static_cast<float>(k);
            if (hz > 9000.0f) break;
            // A broad resonance near 2.5 kHz gives the nasal colour of the call.
            float formant = std::exp(-std::pow((hz - 2500.0f) / 1600.0f, 2.0f));
            tone += std::sin(phase * static_cast<float>(k)) * (0.25f / static_cast<float>(k) + formant);
        }
        float rough = 1.0f - 0.35f * (0.5f + 0.5f * std::sin(2.0f * kPi * roughRate * t));
        rasp.process(rng.noise(), f * 2.0f, 0.5f);
        float attack = std::min(t / 0.02f, 1.0f);
        float release = std::clamp((seconds + 0.05f - t) / 0.07f, 0.0f, 1.0f);
        out[i] = (tone * rough * 0.3f + rasp.band * 0.25f) * attack * release;
    }
    // Distance: far birds lose their top.
    OnePoleLowPass far;
    float c = onePoleCoefficient(9000.0f - 6500.0f * gull.distance);
    for (float& v : out) v = far.process(v, c);
    return out;
}

// A call: one long opening note, then a laughing run of shorter ones, slowly dropping.
static void addGullCall(StereoBuffer& dry, StereoBuffer& send, Rng& rng, const Gull& gull, double start)
{
    int notes = rng.between(1, 6);
    double at = start;
    float pitch = gull.pitch;
    for (int k = 0; k < notes; ++k) {
        float seconds = k == 0 ? static_cast<float>(rng.range(0.28, 0.5)) : static_cast<float>(rng.range(0.13, 0.24));
        Gull note = gull;
        note.pitch = pitch * static_cast<float>(rng.range(0.97, 1.03));
        std::vector<float> v = renderGullNote(rng, note, seconds, static_cast<float>(rng.range(0.25, 0.45)));
        size_t frame = static_cast<size_t>(at * kSoundRate);
        float level = 1.0f - 0.8f * gull.distance;
        float accent = k == 0 ? 1.0f : static_cast<float>(rng.range(0.65, 0.9));
        mixIntoLoop(dry, v.data(), v.size(), frame, level * accent, gull.pan);
        mixIntoLoop(send, v.data(), v.size(), frame, (0.15f + 0.5f * gull.distance) * accent, -gull.pan * 0.5f);
        at += seconds + rng.range(0.06, 0.16);
        pitch *= 0.985f;
    }
}

StereoBuffer synthesiseSeagulls(uint64_t seed)
{
    Rng rng(seed ^ 0x6A11ull);
    size_t n = static_cast<size_t>(kSeagullSeconds * kSoundRate);
    StereoBuffer dry(n), send(n);
    std::array<Gull, 5> flock;
    for (Gull& g : flock)
        g = {static_cast<float>(rng.range(620.0, 1050.0)), static_cast<float>(rng.range(0.0, 1.0)),
             static_cast<float>(rng.range(-0.8, 0.8))};
    const double kEndGap = 3.0;
    double t = 0.4;
    while (t < kSeagullSeconds - kEndGap) {
        // A few calls close together, then a quiet stretch.
        int calls = rng.between(1, 4);
        for (int c = 0; c < calls && t < kSeagullSeconds - kEndGap; ++c) {
            addGullCall(dry, send, rng, flock[static_cast<size_t>(rng.between(0, 4))], t);
            t += rng.range(0.7, 2.4);
        }
        t += rng.range(3.0, 7.0);
    }
    loopReverb(send, 1.8f, 1.0f, 4000.0f);
    for (size_t i = 0; i < n; ++i) {
        dry.left[i] += send.left[i];
        dry.right[i] += send.right[i];
    }
    normalise(dry, kGullPeak);
    return dry;
}
