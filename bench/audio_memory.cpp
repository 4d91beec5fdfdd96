// audio_memory: how much resident memory the stream library adds while it plays, for short and
// for long files. Streams decode in small blocks, so the figure should not grow with the length.
//   audio_memory [MINUTES]    length of the long files (default 8)
#include "audio/stream_library.h"

#include <SDL.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

static constexpr int kRate = 44100;
static constexpr double kStreamSeconds = 4.0;   // wall time; the disk driver runs far faster than real time

static long residentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// A stereo file of chords and noise, written in blocks so the bench itself stays small.
static bool writeSound(const fs::path& path, int format, double seconds)
{
    SF_INFO info{};
    info.channels = 2;
    info.samplerate = kRate;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    std::vector<float> block(2 * 4096);
    uint32_t noise = 1;
    sf_count_t total = static_cast<sf_count_t>(seconds * kRate);
    for (sf_count_t at = 0; at < total; at += 4096) {
        for (size_t i = 0; i < 4096; ++i) {
            double t = static_cast<double>(at + static_cast<sf_count_t>(i)) / kRate;
            noise = noise * 1664525u + 1013904223u;
            double v = 0.2 * std::sin(2 * M_PI * 220 * t) + 0.1 * std::sin(2 * M_PI * 277 * t) +
                       0.05 * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5);
            block[2 * i] = block[2 * i + 1] = static_cast<float>(v);
        }
        sf_writef_float(file, block.data(), std::min<sf_count_t>(4096, total - at));
    }
    return sf_close(file) == 0;
}

// Runs in a fresh process, so each case starts from the same heap.
static int measure(const std::vector<fs::path>& files)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    SDL_Init(0);
    long before = residentKiB();
    if (!streamLibraryInit(kDefaultDevice, kRate, 0, nullptr)) {
        std::fprintf(stderr, "audio_memory: no audio device\n");
        return 1;
    }
    std::vector<uint32_t> streams;
    for (const fs::path& f : files) streams.push_back(streamCreateFile(false, f.c_str(), 0, 0, kStreamLoop));
    for (uint32_t s : streams) channelPlay(s, false);
    long opened = residentKiB();
    long peak = opened;
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(kStreamSeconds);
    while (std::chrono::steady_clock::now() < end) {
        peak = std::max(peak, residentKiB());
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    streamLibraryFree();
    std::printf("  after opening and starting: +%.2f MiB, peak while streaming: +%.2f MiB\n",
                (opened - before) / 1024.0, (peak - before) / 1024.0);
    std::fflush(stdout);   // the child ends with _Exit, which flushes nothing
    return 0;
}

static int runCase(const char* title, const std::vector<fs::path>& files)
{
    uintmax_t bytes = 0;
    for (const fs::path& f : files) bytes += fs::file_size(f);
    std::printf("%s (%zu streams, %.1f MiB of files):\n", title, files.size(), bytes / 1048576.0);
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) std::_Exit(measure(files));
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int main(int argc, char** argv)
{
    double minutes = argc > 1 ? std::atof(argv[1]) : 8.0;
    if (minutes <= 0.0) {
        std::fprintf(stderr, "usage: audio_memory [MINUTES]\n");
        return 2;
    }
    char pattern[] = "/tmp/quelm-audio-bench-XXXXXX";
    fs::path dir = mkdtemp(pattern);
    const int kMp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    const int kOgg = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    bool ok = writeSound(dir / "short.mp3", kMp3, 10) && writeSound(dir / "short.ogg", kOgg, 10) &&
              writeSound(dir / "long.mp3", kMp3, minutes * 60) && writeSound(dir / "long.ogg", kOgg, minutes * 60);
    int rc = 1;
    if (!ok) std::fprintf(stderr, "audio_memory: cannot write the test files\n");
    else {
        std::printf("Resident memory the stream library adds, streaming %.0f s of wall time flat out:\n", kStreamSeconds);
        rc = runCase("10 s files", {dir / "short.mp3", dir / "short.mp3", dir / "short.ogg"}) |
             runCase((std::to_string(static_cast<int>(minutes * 60)) + " s files").c_str(),
                     {dir / "long.mp3", dir / "long.mp3", dir / "long.ogg"});
    }
    fs::remove_all(dir);
    return rc;
}
