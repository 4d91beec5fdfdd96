// Reference decoding with libsndfile, FFT cross-correlation and a small least-squares solver.
#include "support/audio_analysis.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

using Complex = std::complex<double>;

Sound decodeSoundFile(const std::string& path)
{
    Sound sound;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return sound;
    sound.channels = info.channels;
    sound.rate = info.samplerate;
    std::vector<float> block(4096 * static_cast<size_t>(info.channels));
    sf_count_t got;
    while ((got = sf_readf_float(file, block.data(), 4096)) > 0)
        sound.samples.insert(sound.samples.end(), block.begin(), block.begin() + got * info.channels);
    sf_close(file);
    return sound;
}

Sound readDiskMix(const std::string& path)
{
    Sound sound;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return sound;
    std::vector<int16_t> raw(1 << 16);
    size_t got;
    while ((got = std::fread(raw.data(), sizeof(int16_t), raw.size(), file)) > 0)
        for (size_t i = 0; i < got; ++i) sound.samples.push_back(static_cast<float>(raw[i]) / 32767.0f);
    std::fclose(file);
    sound.samples.resize(sound.samples.size() / 2 * 2);
    return sound;
}

bool writeWav(const std::string& path, const Sound& sound)
{
    SF_INFO info{};
    info.channels = sound.channels;
    info.samplerate = sound.rate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    sf_count_t frames = static_cast<sf_count_t>(sound.frames());
    bool ok = sf_writef_float(file, sound.samples.data(), frames) == frames;
    return sf_close(file) == 0 && ok;
}

static void fft(std::vector<Complex>& a, bool inverse)
{
    size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double angle = 2.0 * M_PI / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
        Complex step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            Complex w(1.0);
            for (size_t k = 0; k < len / 2; ++k) {
                Complex u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

static double channelSum(const Sound& s, size_t frame)
{
    double v = 0.0;
    for (int c = 0; c < s.channels; ++c) v += s.at(frame, c);
    return v;
}

Alignment alignSource(const Sound& mix, const Sound& source, size_t from, size_t length, size_t sourceStart,
                      size_t sourceLength)
{
    Alignment result;
    length = std::min(length, mix.frames() > from ? mix.frames() - from : 0);
    sourceLength = std::min(sourceLength, source.frames() > sourceStart ? source.frames() - sourceStart : 0);
    if (length < sourceLength || sourceLength == 0) return result;
    size_t n = 1;
    while (n < length + sourceLength) n <<= 1;
    std::vector<Complex> a(n), b(n);
    for (size_t i = 0; i < length; ++i) a[i] = channelSum(mix, from + i);
    double sourceEnergy = 0.0;
    for (size_t i = 0; i < sourceLength; ++i) {
        double v = channelSum(source, sourceStart + i);
        b[i] = v;
        sourceEnergy += v * v;
    }
    fft(a, false);
    fft(b, false);
    for (size_t i = 0; i < n; ++i) a[i] *= std::conj(b[i]);
    fft(a, true);
    // Running energy of the mix window, for the normalised correlation at each lag.
    std::vector<double> prefix(length + 1, 0.0);
    for (size_t i = 0; i < length; ++i) prefix[i + 1] = prefix[i] + std::norm(channelSum(mix, from + i));
    double best = -2.0;
    size_t bestLag = 0;
    for (size_t lag = 0; lag + sourceLength <= length; ++lag) {
        double energy = prefix[lag + sourceLength] - prefix[lag];
        if (energy <= 0.0) continue;
        double c = a[lag].real() / static_cast<double>(n) / std::sqrt(energy * sourceEnergy);
        if (c > best) {
            best = c;
            bestLag = lag;
        }
    }
    if (best < -1.0) return result;
    result.correlation = best;
    result.mixFrameOfSourceStart = static_cast<int64_t>(from + bestLag) - static_cast<int64_t>(sourceStart);
    return result;
}

// Solves the small symmetric system by Gaussian elimination with partial pivoting.
static std::vector<double> solve(std::vector<std::vector<double>> m, std::vector<double> r)
{
    size_t n = r.size();
    for (size_t col = 0; col < n; ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < n; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        std::swap(m[col], m[pivot]);
        std::swap(r[col], r[pivot]);
        if (std::fabs(m[col][col]) < 1e-12) return std::vector<double>(n, 0.0);
        for (size_t row = 0; row < n; ++row) {
            if (row == col) continue;
            double f = m[row][col] / m[col][col];
            for (size_t k = col; k < n; ++k) m[row][k] -= f * m[col][k];
            r[row] -= f * r[col];
        }
    }
    for (size_t i = 0; i < n; ++i) r[i] /= m[i][i];
    return r;
}

static double placedValue(const Placed& p, int64_t frame, int channel)
{
    int64_t t = frame - p.offset;
    if (t < 0) return 0.0;
    size_t length = p.source->frames();
    return p.source->at(static_cast<size_t>(t) % length, channel % p.source->channels);
}

Fit fitGains(const Sound& mix, const std::vector<Placed>& sources, size_t from, size_t to)
{
    Fit fit;
    size_t k = sources.size();
    std::vector<std::vector<double>> normal(k, std::vector<double>(k, 0.0));
    std::vector<double> rhs(k, 0.0);
    to = std::min(to, mix.frames());
    const double kFullScale = 32766.0 / 32767.0;
    std::vector<double> x(k);
    double mixEnergy = 0.0;
    for (size_t t = from; t < to; ++t) {
        if (std::fabs(mix.at(t, 0)) >= kFullScale || std::fabs(mix.at(t, 1)) >= kFullScale) {
            ++fit.clippedFrames;
            continue;
        }
        for (int c = 0; c < 2; ++c) {
            double y = mix.at(t, c);
            for (size_t i = 0; i < k; ++i) x[i] = placedValue(sources[i], static_cast<int64_t>(t), c);
            for (size_t i = 0; i < k; ++i) {
                rhs[i] += x[i] * y;
                for (size_t j = 0; j < k; ++j) normal[i][j] += x[i] * x[j];
            }
            mixEnergy += y * y;
        }
    }
    fit.gains = solve(normal, rhs);
    double residual = 0.0;
    for (size_t t = from; t < to; ++t) {
        if (std::fabs(mix.at(t, 0)) >= kFullScale || std::fabs(mix.at(t, 1)) >= kFullScale) continue;
        for (int c = 0; c < 2; ++c) {
            double e = mix.at(t, c);
            for (size_t i = 0; i < k; ++i) e -= fit.gains[i] * placedValue(sources[i], static_cast<int64_t>(t), c);
            residual += e * e;
        }
    }
    fit.residualShare = mixEnergy > 0.0 ? std::sqrt(residual / mixEnergy) : 1.0;
    return fit;
}

double largestStep(const Sound& sound, size_t from, size_t to)
{
    double largest = 0.0;
    to = std::min(to, sound.frames());
    for (size_t t = from; t + 1 < to; ++t)
        for (int c = 0; c < sound.channels; ++c) largest = std::max(largest, static_cast<double>(std::fabs(sound.at(t + 1, c) - sound.at(t, c))));
    return largest;
}

std::vector<int64_t> locateSources(const Sound& mix, const std::vector<const Sound*>& sources, size_t from,
                                   size_t length, size_t segmentLength)
{
    std::vector<int64_t> found(sources.size(), -1);
    Sound rest = mix;
    size_t to = std::min(mix.frames(), from + length);
    for (size_t round = 0; round < sources.size(); ++round) {
        size_t best = sources.size();
        Alignment bestAlignment;
        for (size_t i = 0; i < sources.size(); ++i) {
            if (found[i] >= 0) continue;
            Alignment a = alignSource(rest, *sources[i], from, length, 0, segmentLength);
            if (a.mixFrameOfSourceStart >= 0 && (best == sources.size() || a.correlation > bestAlignment.correlation)) {
                best = i;
                bestAlignment = a;
            }
        }
        if (best == sources.size()) break;
        found[best] = bestAlignment.mixFrameOfSourceStart;
        Placed placed{sources[best], found[best]};
        Fit fit = fitGains(rest, {placed}, from, to);
        for (size_t t = from; t < to; ++t)
            for (int c = 0; c < 2; ++c)
                rest.samples[t * 2 + static_cast<size_t>(c)] -= static_cast<float>(fit.gains[0] * placedValue(placed, static_cast<int64_t>(t), c));
    }
    return found;
}
