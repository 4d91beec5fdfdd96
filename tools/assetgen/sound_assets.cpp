// Synthesis of the surf, the gulls and the tune.
#include "sound_assets.h"

#include "mp3_encoder.h"
#include "ogg_encoder.h"
#include "sound_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Surf: a bed of low rumble, and waves that roll in (a swelling roar whose brightness rises),
// break, and wash back (a decaying hiss with the crackle of draining foam).

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

// ---------------------------------------------------------------------------------------------
// Gulls: each call is a run of harmonic-rich notes whose pitch rises and falls ("kee-ow"),
// roughened at a low rate; birds differ in pitch, distance (level, brightness, reverb) and place.

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

// ---------------------------------------------------------------------------------------------
// The tune: a steel-drum melody over marimba chords, a plucked bass, shaker and hand drums.

static constexpr float kTunePeak = 0.6f;

static float midiHz(int note) { return 440.0f * std::pow(2.0f, static_cast<float>(note - 69) / 12.0f); }

struct Chord {
    int root;   // MIDI note of the root in the bass octave
    std::array<int, 3> tones;   // pitch classes (0 = C) of the triad
};

static constexpr Chord kC{36, {0, 4, 7}}, kAm{45, {9, 0, 4}}, kF{41, {5, 9, 0}}, kG{43, {7, 11, 2}},
    kDm{38, {2, 5, 9}}, kEm{40, {4, 7, 11}};

// Intro, A, B, A, bridge, tag: 4 + 8 + 8 + 8 + 8 + 4 bars.
static const std::array<Chord, kTuneBars> kProgression = {
    kC, kAm, kF, kG,
    kC, kAm, kF, kG, kC, kAm, kDm, kG,
    kF, kG, kEm, kAm, kF, kG, kDm, kG,
    kC, kAm, kF, kG, kC, kAm, kDm, kG,
    kAm, kEm, kF, kC, kDm, kEm, kF, kG,
    kC, kAm, kF, kG};

struct Note {
    double beat;      // from the loop's start
    double beats;     // length
    int pitch;        // MIDI
    float velocity;
};

static std::vector<float> renderSteelDrum(Rng& rng, float hz, float seconds, float velocity)
{
    struct Partial { float ratio, amp, decay, attack; };
    // Octave and twelfth partials of a tuned pan; the octave blooms a moment after the strike.
    constexpr std::array<Partial, 5> kPartials = {{{1.0f, 1.0f, 1.1f, 0.004f}, {2.0f, 0.55f, 0.7f, 0.03f},
                                                   {3.0f, 0.22f, 0.4f, 0.01f}, {4.02f, 0.1f, 0.22f, 0.004f},
                                                   {5.1f, 0.05f, 0.12f, 0.002f}}};
    size_t frames = static_cast<size_t>((std::min(seconds, 1.6f) + 1.4f) * kSoundRate);
    std::vector<float> out(frames);
    float release = std::max(seconds, 0.25f) + 0.15f;
    for (const Partial& p : kPartials) {
        float w = 2.0f * kPi * hz * p.ratio / kSoundRate;
        if (hz * p.ratio > 12000.0f) continue;
        for (size_t i = 0; i < frames; ++i) {
            float t = static_cast<float>(i) / kSoundRate;
            float damp = t > release ? std::exp(-(t - release) / 0.12f) : 1.0f;
            out[i] += std::sin(w * static_cast<float>(i)) * p.amp * percussive(t, p.attack, p.decay) * damp;
        }
    }
    // The stick's tick.
    StateVariableFilter tick;
    for (size_t i = 0; i < 400 && i < frames; ++i) {
        tick.process(rng.noise(), 3500.0f, 1.0f);
        out[i] += tick.band * 0.25f * std::exp(-static_cast<float>(i) / 90.0f);
    }
    for (float& v : out) v *= velocity;
    return out;
}

static std::vector<float> renderMarimba(float hz, float velocity)
{
    struct Partial { float ratio, amp, decay; };
    constexpr std::array<Partial, 3> kPartials = {{{1.0f, 1.0f, 0.45f}, {3.93f, 0.3f, 0.07f}, {9.2f, 0.08f, 0.025f}}};
    size_t frames = static_cast<size_t>(1.6f * kSoundRate);
    std::vector<float> out(frames);
    for (const Partial& p : kPartials) {
        float w = 2.0f * kPi * hz * p.ratio / kSoundRate;
        for (size_t i = 0; i < frames; ++i)
            out[i] += std::sin(w * static_cast<float>(i)) * p.amp * percussive(static_cast<float>(i) / kSoundRate, 0.002f, p.decay);
    }
    for (float& v : out) v *= velocity;
    return out;
}

// Karplus-Strong string, plucked softly (the initial burst is low-passed).
static std::vector<float> renderPluck(Rng& rng, float hz, float seconds, float velocity)
{
    size_t period = static_cast<size_t>(std::lround(kSoundRate / hz));
    size_t frames = static_cast<size_t>((seconds + 0.3f) * kSoundRate);
    std::vector<float> line(period);
    OnePoleLowPass soft;
    float c = onePoleCoefficient(1200.0f);
    for (int warm = 0; warm < 2; ++warm)
        for (float& v : line) v = soft.process(rng.noise(), c);
    std::vector<float> out(frames);
    size_t pos = 0;
    float previous = 0.0f;
    for (size_t i = 0; i < frames; ++i) {
        float current = line[pos];
        float next = 0.5f * (current + previous) * 0.996f;
        previous = current;
        line[pos] = next;
        pos = (pos + 1) % period;
        float t = static_cast<float>(i) / kSoundRate;
        float damp = t > seconds ? std::exp(-(t - seconds) / 0.08f) : 1.0f;
        out[i] = current * velocity * damp;
    }
    return out;
}

static std::vector<float> renderDrum(Rng& rng, float hz, float decay, float velocity)
{
    size_t frames = static_cast<size_t>((decay * 6.0f) * kSoundRate);
    std::vector<float> out(frames);
    float phase = 0.0f;
    StateVariableFilter skin;
    for (size_t i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSoundRate;
        float f = hz * (1.0f + 0.5f * std::exp(-t / 0.015f));
        phase += 2.0f * kPi * f / kSoundRate;
        skin.process(rng.noise(), hz * 6.0f, 1.2f);
        out[i] = (std::sin(phase) + skin.band * 0.3f * std::exp(-t / 0.01f)) * std::exp(-t / decay) * velocity;
    }
    return out;
}

static std::vector<float> renderShaker(Rng& rng, float velocity)
{
    size_t frames = static_cast<size_t>(0.09f * kSoundRate);
    std::vector<float> out(frames);
    StateVariableFilter f;
    for (size_t i = 0; i < frames; ++i) {
        float t = static_cast<float>(i) / kSoundRate;
        f.process(rng.noise(), 7000.0f, 1.0f);
        float env = std::min(t / 0.012f, 1.0f) * std::exp(-t / 0.025f);
        out[i] = f.lastHigh * env * velocity;
    }
    return out;
}

// Pitches of the C major scale in the melody's range.
static std::vector<int> melodyScale()
{
    std::vector<int> notes;
    for (int p = 67; p <= 86; ++p) {
        int pc = p % 12;
        if (pc == 0 || pc == 2 || pc == 4 || pc == 5 || pc == 7 || pc == 9 || pc == 11) notes.push_back(p);
    }
    return notes;
}

static bool inChord(int pitch, const Chord& chord)
{
    return std::find(chord.tones.begin(), chord.tones.end(), pitch % 12) != chord.tones.end();
}

// One 8-bar phrase of melody over bars [firstBar, firstBar + 8): strong beats land on chord tones,
// weak ones step through the scale, each four-bar half ends on a held chord tone.
static std::vector<Note> composePhrase(Rng& rng, int firstBar, int bars)
{
    using Onsets = std::vector<std::pair<double, double>>;
    static const std::array<Onsets, 5> kRhythms = {{
        {{0, 1}, {1, 0.5}, {1.5, 0.5}, {2, 1.5}},
        {{0, 0.5}, {0.5, 0.5}, {1, 1}, {2.5, 0.5}, {3, 1}},
        {{0, 1.5}, {1.5, 0.5}, {2, 2}},
        {{0.5, 0.5}, {1, 0.5}, {1.5, 1}, {3, 1}},
        {{0, 1}, {1, 1}, {2, 1}, {3, 0.5}, {3.5, 0.5}},
    }};
    std::vector<int> scale = melodyScale();
    std::vector<Note> notes;
    int index = static_cast<int>(scale.size()) / 2;
    for (int b = 0; b < bars; ++b) {
        const Chord& chord = kProgression[static_cast<size_t>(firstBar + b)];
        bool cadence = b % 4 == 3;
        Onsets onsets = cadence ? Onsets{{0, 0.5}, {0.5, 0.5}, {1, 3}} : kRhythms[static_cast<size_t>(rng.between(0, 4))];
        for (auto [beat, beats] : onsets) {
            bool strong = beat == 0.0 || beat == 2.0 || beats >= 2.0;
            int step = rng.between(-2, 2);
            if (step == 0) step = rng.uniform() < 0.5 ? 1 : -1;
            index = std::clamp(index + step, 0, static_cast<int>(scale.size()) - 1);
            if (strong) {
                // The nearest chord tone, searching outwards.
                for (int d = 0; d < 4; ++d) {
                    if (index + d < static_cast<int>(scale.size()) && inChord(scale[static_cast<size_t>(index + d)], chord)) { index += d; break; }
                    if (index - d >= 0 && inChord(scale[static_cast<size_t>(index - d)], chord)) { index -= d; break; }
                }
            }
            float velocity = static_cast<float>((strong ? 0.9 : 0.7) * rng.range(0.9, 1.05));
            notes.push_back({static_cast<double>((firstBar + b) * kTuneBeatsPerBar) + beat, beats,
                             scale[static_cast<size_t>(index)], velocity});
        }
    }
    return notes;
}

static std::vector<Note> composeMelody(Rng& rng)
{
    std::vector<Note> melody;
    std::vector<Note> a = composePhrase(rng, 4, 8);
    std::vector<Note> b = composePhrase(rng, 12, 8);
    std::vector<Note> bridge = composePhrase(rng, 28, 8);
    melody.insert(melody.end(), a.begin(), a.end());
    melody.insert(melody.end(), b.begin(), b.end());
    // The A section comes back note for note, as a listener expects of a tune.
    for (Note n : a) {
        n.beat += 16.0 * kTuneBeatsPerBar;
        melody.push_back(n);
    }
    melody.insert(melody.end(), bridge.begin(), bridge.end());
    // The tag echoes the first two bars of A, softer, an octave lower, leading back to the intro.
    for (const Note& n : a) {
        if (n.beat >= 6.0 * kTuneBeatsPerBar) break;
        melody.push_back({n.beat + 32.0 * kTuneBeatsPerBar, n.beats, n.pitch - 12, n.velocity * 0.7f});
    }
    return melody;
}

static size_t beatFrame(double beat) { return static_cast<size_t>(std::llround(beat * kTuneFramesPerBeat)); }

StereoBuffer synthesiseTune(uint64_t seed)
{
    Rng rng(seed ^ 0x7E7Eull);
    const size_t n = static_cast<size_t>(kTuneBars) * kTuneBeatsPerBar * kTuneFramesPerBeat;
    const float beatSeconds = static_cast<float>(kTuneFramesPerBeat) / kSoundRate;
    StereoBuffer loop(n);

    for (const Note& note : composeMelody(rng)) {
        std::vector<float> v = renderSteelDrum(rng, midiHz(note.pitch), static_cast<float>(note.beats) * beatSeconds, note.velocity);
        mixIntoLoop(loop, v.data(), v.size(), beatFrame(note.beat), 0.34f, 0.15f);
    }
    for (int bar = 0; bar < kTuneBars; ++bar) {
        const Chord& chord = kProgression[static_cast<size_t>(bar)];
        double first = static_cast<double>(bar * kTuneBeatsPerBar);
        // Marimba: the chord's tones on the off-beats, rising and falling.
        static constexpr std::array<int, 4> kArpeggio = {0, 1, 2, 1};
        for (int k = 0; k < 4; ++k) {
            int pc = chord.tones[static_cast<size_t>(kArpeggio[static_cast<size_t>(k)])];
            int pitch = 60 + pc;
            if (pitch > 67) pitch -= 12;
            std::vector<float> v = renderMarimba(midiHz(pitch), static_cast<float>(rng.range(0.3, 0.38)));
            mixIntoLoop(loop, v.data(), v.size(), beatFrame(first + k + 0.5), 0.5f, -0.35f);
            if (k == 0 || k == 2) {
                // The chord itself, softly, with the beat.
                int other = 60 + chord.tones[static_cast<size_t>(k == 0 ? 2 : 1)] % 12;
                if (other > 67) other -= 12;
                std::vector<float> w = renderMarimba(midiHz(other), 0.22f);
                mixIntoLoop(loop, w.data(), w.size(), beatFrame(first + k), 0.5f, -0.2f);
            }
        }
        // Bass: root on one, fifth on the "and" of two, root again on three, a pickup on four-and.
        struct BassStep { double beat, beats; int interval; float velocity; };
        static constexpr std::array<BassStep, 4> kBass = {{{0, 1.4, 0, 0.9f}, {1.5, 0.9, 7, 0.6f},
                                                          {2, 1.4, 12, 0.7f}, {3.5, 0.45, 7, 0.5f}}};
        for (const BassStep& s : kBass) {
            std::vector<float> v = renderPluck(rng, midiHz(chord.root + s.interval), static_cast<float>(s.beats) * beatSeconds, s.velocity);
            mixIntoLoop(loop, v.data(), v.size(), beatFrame(first + s.beat), 0.55f, 0.0f);
        }
        // Hand drums and shaker: the soft rhythm under it all.
        for (double b : {0.0, 2.5}) {
            std::vector<float> v = renderDrum(rng, 98.0f, 0.18f, 0.32f);
            mixIntoLoop(loop, v.data(), v.size(), beatFrame(first + b), 1.0f, -0.2f);
        }
        for (double b : {1.5, 3.0, 3.5}) {
            std::vector<float> v = renderDrum(rng, 196.0f, 0.09f, b == 3.0 ? 0.12f : 0.18f);
            mixIntoLoop(loop, v.data(), v.size(), beatFrame(first + b), 1.0f, 0.25f);
        }
        for (int e = 0; e < 8; ++e) {
            float velocity = (e % 2 ? 0.11f : 0.07f) * static_cast<float>(rng.range(0.8, 1.1));
            std::vector<float> v = renderShaker(rng, velocity);
            mixIntoLoop(loop, v.data(), v.size(), beatFrame(first + e * 0.5), 1.0f, 0.4f);
        }
    }
    loopReverb(loop, 1.8f, 0.22f, 5000.0f);
    normalise(loop, kTunePeak);
    return loop;
}

// ---------------------------------------------------------------------------------------------
// The encoded files.

static constexpr int kSeaKbps = 160;
static constexpr float kTuneQuality = 0.5f;   // Vorbis VBR, about 160 kbit/s
static constexpr int kTuneSerial = 0x51E1;

std::vector<uint8_t> makeOceanMp3(uint64_t seed) { return encodeMp3(synthesiseOcean(seed), kSeaKbps); }
std::vector<uint8_t> makeSeagullsMp3(uint64_t seed) { return encodeMp3(synthesiseSeagulls(seed), kSeaKbps); }
std::vector<uint8_t> makeTuneOgg(uint64_t seed) { return encodeOgg(synthesiseTune(seed), kTuneQuality, kTuneSerial); }
