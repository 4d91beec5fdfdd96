// The asset generator: the same bytes from the same seed, sound files of the lengths asked for,
// loops whose end meets their start, and refusals of what it cannot do.
#include "support/audio_analysis.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

static std::string fileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

static int run(const std::string& arguments)
{
    int rc = std::system((std::string(QUELM_ASSETGEN) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

static const Sound& built(const std::string& name)
{
    static std::map<std::string, Sound> cache;
    auto found = cache.find(name);
    if (found == cache.end()) found = cache.emplace(name, decodeSoundFile(std::string(QUELM_ASSET_DIR) + "/" + name)).first;
    return found->second;
}

static double seconds(const Sound& s) { return static_cast<double>(s.frames()) / s.rate; }

// RMS of both channels over [from, from + frames).
static double rms(const Sound& s, size_t from, size_t frames)
{
    double e = 0.0;
    for (size_t t = from; t < from + frames; ++t) e += s.at(t, 0) * s.at(t, 0) + s.at(t, 1) * s.at(t, 1);
    return std::sqrt(e / (2.0 * static_cast<double>(frames)));
}

TEST(Assetgen, SameSeedGivesTheSameBytesAsTheBuild)
{
    const TempFolder dir("assetgen");
    ASSERT_EQ(run(dir.str()), 0);
    int compared = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(dir.path())) {
        if (!e.is_regular_file()) continue;
        std::string name = e.path().filename().string(), fresh = fileBytes(e.path());
        EXPECT_FALSE(fresh.empty()) << name;
        EXPECT_EQ(fresh, fileBytes(fs::path(QUELM_ASSET_DIR) / name)) << name << " differs between runs";
        ++compared;
    }
    EXPECT_GE(compared, 16) << "every generated asset is compared";
    for (const fs::directory_entry& e : fs::directory_iterator(dir.path()))
        EXPECT_NE(e.path().extension(), ".part") << "a partial file was left behind";
}

TEST(Assetgen, RefusesUnknownNamesAndBadSeeds)
{
    const TempFolder dir("assetgen");
    EXPECT_EQ(run((dir / "out").string() + " no-such.asset"), 2);
    EXPECT_EQ(run("--seed twelve " + (dir / "out").string()), 2);
    EXPECT_EQ(run(""), 2);
    EXPECT_FALSE(fs::exists(dir / "out")) << "nothing is written after a refusal";
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(run((dir / "file").string() + " tr1.ogg"), 1) << "the output folder cannot be made";
}

TEST(AssetgenSounds, AreStereoAt44100HzAndLongEnough)
{
    for (const char* name : {"seagulls.mp3", "ocean.mp3", "tr1.ogg"}) {
        const Sound& s = built(name);
        EXPECT_EQ(s.channels, 2) << name;
        EXPECT_EQ(s.rate, 44100) << name;
    }
    EXPECT_GE(seconds(built("ocean.mp3")), 40.0);
    EXPECT_GE(seconds(built("seagulls.mp3")), 40.0);
    EXPECT_GE(seconds(built("tr1.ogg")), 90.0);
    EXPECT_LE(seconds(built("tr1.ogg")), 180.0);
}

TEST(AssetgenSounds, EachLoopsWithoutAJumpAndNeverClips)
{
    for (const char* name : {"seagulls.mp3", "ocean.mp3", "tr1.ogg"}) {
        const Sound& s = built(name);
        size_t n = s.frames();
        ASSERT_GT(n, 1000u) << name;
        double ordinary = largestStep(s, 0, n);
        for (int c = 0; c < 2; ++c)
            EXPECT_LE(std::fabs(s.at(0, c) - s.at(n - 1, c)), ordinary) << name << ": the end does not meet the start";
        float peak = 0.0f;
        for (float v : s.samples) peak = std::max(peak, std::fabs(v));
        EXPECT_LT(peak, 0.95f) << name;
        EXPECT_GT(peak, 0.3f) << name;
    }
}

TEST(AssetgenSounds, WavesRiseAndFallAndGullsHaveQuietStretches)
{
    // Half-second levels: the surf swells and ebbs with each wave; the gulls fall silent between calls.
    auto levels = [](const Sound& s) {
        std::vector<double> out;
        for (size_t t = 0; t + 22050 <= s.frames(); t += 22050) out.push_back(rms(s, t, 22050));
        return out;
    };
    std::vector<double> sea = levels(built("ocean.mp3"));
    auto [seaLow, seaHigh] = std::minmax_element(sea.begin(), sea.end());
    EXPECT_GT(*seaHigh / *seaLow, 3.0) << "the surf should rise and fall";
    std::vector<double> gull = levels(built("seagulls.mp3"));
    double loudest = *std::max_element(gull.begin(), gull.end());
    size_t quiet = static_cast<size_t>(std::count_if(gull.begin(), gull.end(), [&](double v) { return v < loudest * 0.01; }));
    EXPECT_GT(quiet, gull.size() / 4) << "quiet stretches between the calls";
    EXPECT_LT(quiet, gull.size() * 3 / 4) << "and calls between the quiet stretches";
}
