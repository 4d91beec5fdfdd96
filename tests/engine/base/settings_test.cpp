#include "base/gamma.h"
#include "base/profile.h"
#include "base/settings.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

class SettingsFolder : public ::testing::Test {
protected:
    TempFolder temp{"settings"};
    const std::string folder = temp.str();
    void write(const std::string& name, const std::string& text) { std::ofstream(folder + "/" + name) << text; }
    BehaviourSettings read() { return readBehaviourSettings(behaviourSettingsPath(folder)); }
};

static void expectDefaults(const BehaviourSettings& s)
{
    EXPECT_FALSE(s.frameRateShown);
    EXPECT_TRUE(s.clockShown);
    EXPECT_FALSE(s.mouseEndsRun);
    EXPECT_FALSE(s.verticalSync);
    EXPECT_TRUE(s.musicOn);
    EXPECT_TRUE(s.soundOn);
    EXPECT_FLOAT_EQ(s.musicVolume, 0.99f);
    EXPECT_FLOAT_EQ(s.soundVolume, 0.99f);
    EXPECT_EQ(static_cast<int>(s.soundVolume * 80.0f), 79);
    EXPECT_EQ(static_cast<int>(s.soundVolume * 40.0f), 39);
    EXPECT_EQ(static_cast<int>(s.musicVolume * 100.0f), 99);
    EXPECT_FLOAT_EQ(s.speed, 1.0f);
    EXPECT_EQ(s.gamma, 100);
    EXPECT_EQ(s.cameraJumpInterval, 90);
}

TEST_F(SettingsFolder, MissingOrEmptyFileGivesDefaults)
{
    expectDefaults(read());
    write("controls.cfg", "");
    expectDefaults(read());
    write("controls.cfg", "[Other]\nfpsch_on=1\ngamma_vo=150\n");
    expectDefaults(read());
}

TEST_F(SettingsFolder, FindsControlsCfgInAnyLetterCase)
{
    write("controls.cfg", "[FullScreen behaviour Control]\ncamjump_vo=6\n");
    EXPECT_EQ(read().cameraJumpInterval, 6);
    // Among other spellings the first in byte order, as the dialog's look-up takes it.
    write("CONTROLS.CFG", "[FullScreen behaviour Control]\ncamjump_vo=7\n");
    EXPECT_EQ(read().cameraJumpInterval, 7);
    // The dialog's own spelling wins over every other.
    write("Controls.cfg", "[FullScreen behaviour Control]\ncamjump_vo=8\n");
    EXPECT_EQ(read().cameraJumpInterval, 8);
}

TEST_F(SettingsFolder, ReadsWhatTheDialogWritesIgnoringCaseAndOtherSections)
{
    write("Controls.cfg",
          "[Adjustment]\nclock_on=1\n"
          "[fullscreen BEHAVIOUR control]\n"
          "FPSCH_ON=1\nclock_on=0\nMouse_On=1\nvsync_on = 1\nmusic_on=0\nsound_on=0\n"
          "music_vo=50\nsound_vo=10\nspeed_vo=7\ngamma_vo=abc\ncamjump_vo=3\n"
          "[Later]\ncamjump_vo=44\n");
    BehaviourSettings s = read();
    EXPECT_TRUE(s.frameRateShown);
    EXPECT_FALSE(s.clockShown);
    EXPECT_TRUE(s.mouseEndsRun);
    EXPECT_TRUE(s.verticalSync);
    EXPECT_FALSE(s.musicOn);
    EXPECT_FALSE(s.soundOn);
    EXPECT_FLOAT_EQ(s.musicVolume, 0.5f);
    EXPECT_FLOAT_EQ(s.soundVolume, 0.1f);
    EXPECT_FLOAT_EQ(s.speed, 7.0f);
    EXPECT_EQ(s.gamma, 0);
    EXPECT_EQ(s.cameraJumpInterval, 3);
}

// What the dialog writes (0 to 100) becomes the volumes it always did.
TEST_F(SettingsFolder, DialogVolumesGiveTheStreamsTheirShares)
{
    for (int v = 0; v <= 100; ++v) {
        write("Controls.cfg", "[FullScreen behaviour Control]\nmusic_vo=" + std::to_string(v) + "\nsound_vo=" +
                                  std::to_string(v) + "\n");
        BehaviourSettings s = read();
        ASSERT_EQ(streamVolume(s.soundVolume, kSeagullVolumeShare), static_cast<int>(s.soundVolume * 80.0f)) << v;
        ASSERT_EQ(streamVolume(s.soundVolume, kOceanVolumeShare), static_cast<int>(s.soundVolume * 40.0f)) << v;
        ASSERT_EQ(streamVolume(s.musicVolume, kMusicVolumeShare), static_cast<int>(s.musicVolume * 100.0f)) << v;
        ASSERT_LE(streamVolume(s.musicVolume, kMusicVolumeShare), 100);
    }
    EXPECT_EQ(streamVolume(0.5f, kMusicVolumeShare), 50);
    EXPECT_EQ(streamVolume(0.1f, kSeagullVolumeShare), 8);
}

// A hand-edited negative volume is read as unsigned, as the profile read does: far beyond 100,
// so the stream library refuses it. The conversion to int saturates instead of overflowing.
TEST_F(SettingsFolder, NegativeVolumeSaturatesInsteadOfOverflowing)
{
    write("Controls.cfg", "[FullScreen behaviour Control]\nmusic_vo=-10\nsound_vo=-1\n");
    BehaviourSettings s = read();
    EXPECT_FLOAT_EQ(s.musicVolume, 4294967286.0f / 100.0f);
    EXPECT_EQ(streamVolume(s.musicVolume, kMusicVolumeShare), INT_MAX);
    EXPECT_EQ(streamVolume(s.soundVolume, kSeagullVolumeShare), INT_MAX);
    EXPECT_GT(streamVolume(s.soundVolume, kOceanVolumeShare), 100) << "a smaller share fits an int, still refused";
}

// A daemon's options for one run: each given key replaces the file's value, every other value
// stays the file's, and the file is not touched.
TEST_F(SettingsFolder, RunSettingsOverrideOnlyTheKeysTheyName)
{
    const std::string file = "[FullScreen behaviour Control]\nfpsch_on=0\nclock_on=1\nmusic_vo=80\nsound_vo=70\n"
                             "speed_vo=2\ncamjump_vo=30\nvsync_on=1\nmusic_on=1\nsound_on=0\n";
    write("Controls.cfg", file);
    BehaviourSettings s = read();
    EXPECT_EQ(applyRunSettings(s, "fpsch_on=1;clock_on=0;music_vo=20;bogus=5;gamma"), 3);
    EXPECT_TRUE(s.frameRateShown);
    EXPECT_FALSE(s.clockShown);
    EXPECT_EQ(streamVolume(s.musicVolume, kMusicVolumeShare), 20);
    EXPECT_FLOAT_EQ(s.soundVolume, 0.7f);
    EXPECT_FLOAT_EQ(s.speed, 2.0f);
    EXPECT_EQ(s.cameraJumpInterval, 30);
    EXPECT_TRUE(s.verticalSync);
    EXPECT_TRUE(s.musicOn);
    EXPECT_FALSE(s.soundOn);
    EXPECT_EQ(applyRunSettings(s, "SOUND_ON=1;speed_vo=0;camjump_vo=5;vsync_on=0;sound_vo=15;music_on=0"), 6);
    EXPECT_TRUE(s.soundOn);
    EXPECT_FLOAT_EQ(s.speed, 0.0f);
    EXPECT_EQ(s.cameraJumpInterval, 5);
    EXPECT_FALSE(s.verticalSync);
    EXPECT_EQ(streamVolume(s.soundVolume, kSeagullVolumeShare), 12);
    EXPECT_FALSE(s.musicOn);
    EXPECT_EQ(applyRunSettings(s, ""), 0);
    EXPECT_EQ(applyRunSettings(s, "[Other];clock_on=1"), 0) << "a section of its own is not the file's";
    std::ifstream in(folder + "/Controls.cfg");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), file);
}

TEST(ProfileText, ReadsLikeTheFile)
{
    ProfileFile file = ProfileFile::fromText("; comment\n[FullScreen Behaviour Control]\r\n camjump_VO = 12 \r\n"
                                             "gamma_vo\n[x]\ngamma_vo=150\n");
    EXPECT_EQ(file.readInt("fullscreen behaviour control", "camjump_vo", 90), 12);
    EXPECT_EQ(file.readInt("FullScreen behaviour Control", "gamma_vo", 100), 100) << "a line without '=' is no key";
    EXPECT_EQ(file.readInt("X", "gamma_vo", 100), 150);
    BehaviourSettings s = behaviourSettingsFrom(file);
    EXPECT_EQ(s.cameraJumpInterval, 12);
    EXPECT_EQ(s.gamma, 100);
}

TEST(ProfileInt, LeadingDigitsOnly)
{
    EXPECT_EQ(parseProfileInt("42"), 42);
    EXPECT_EQ(parseProfileInt("12abc"), 12);
    EXPECT_EQ(parseProfileInt("abc"), 0);
    EXPECT_EQ(parseProfileInt(""), 0);
    EXPECT_EQ(parseProfileInt("-5"), -5);
    EXPECT_EQ(parseProfileInt("99999999999999"), 2147483647);
}

TEST(GammaRamp, IdentityAndTheDocumentedPoints)
{
    GammaRamp one = buildGammaRamp(1.0f);
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(one[i], i * 256);
        ASSERT_EQ(one[256 + i], i * 256);
        ASSERT_EQ(one[512 + i], i * 256);
    }
    EXPECT_EQ(one[255], 65280);
    EXPECT_EQ(buildGammaRamp(2.0f)[64], 32768);
    EXPECT_EQ(buildGammaRamp(0.5f)[128], 16384);
    GammaRamp zero = buildGammaRamp(0.0f);   // "gamma_vo=abc": no NaN, no wrap
    for (uint16_t v : zero) ASSERT_LE(v, 65535);
}
