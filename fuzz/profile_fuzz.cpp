// Fuzzes the engine's reader of the behaviour settings file ("Controls.cfg"): any bytes as the
// file's text, read as start-up reads it (the profile parse, then the settings in the engine's
// order), then every conversion start-up makes of the values: the stream volumes, the gamma
// ramp, the timed jump's test. Nothing may overflow (the sanitizers watch each conversion), and
// the volumes the dialog can write (0 to 100) must reach the audio library inside its range.
// The file itself is read by the same parse (ProfileFile's constructor); its lookup by name is
// the unit tests' business, so the target stays in memory and fast.
#include "base/frame_timer.h"
#include "base/gamma.h"
#include "base/profile.h"
#include "base/settings.h"

#include <cstdlib>
#include <string>

static constexpr const char* kSection = "FullScreen behaviour Control";

static void check(bool ok)
{
    if (!ok) std::abort();
}

// A volume the dialog can write reaches the library inside its range; any other is refused there.
static void checkVolume(const ProfileFile& file, const char* key, float volume, float share)
{
    const int written = file.readInt(kSection, key, 99);
    const int toLibrary = streamVolume(volume, share);
    if (written >= 0 && written <= 100) check(toLibrary >= 0 && toLibrary <= 100);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ProfileFile file = ProfileFile::fromText(std::string(reinterpret_cast<const char*>(data), size));
    const BehaviourSettings s = behaviourSettingsFrom(file);

    checkVolume(file, "sound_vo", s.soundVolume, kSeagullVolumeShare);
    checkVolume(file, "sound_vo", s.soundVolume, kOceanVolumeShare);
    checkVolume(file, "music_vo", s.musicVolume, kMusicVolumeShare);
    check(s.speed >= 0.0f && s.musicVolume >= 0.0f && s.soundVolume >= 0.0f);

    // Start-up's gamma factor and ramp, and the timed jump's test at a few times.
    const GammaRamp ramp = buildGammaRamp(static_cast<float>(s.gamma) * 0.01f);
    check(ramp[0] == 0 || s.gamma <= 0);
    for (double t : {0.0, 1.5, 90.0, 1000.25, 4294967.295}) (void)timedJumpDue(s.cameraJumpInterval, t);
    return 0;
}
