// The tune: a steel-drum melody over marimba chords, a plucked bass, shaker and hand drums.
#include "sound_assets.h"

#include "sound_synth.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

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
