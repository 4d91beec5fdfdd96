// The behaviour settings file: section "FullScreen behaviour Control", read in the engine's order.
#include "base/settings.h"

#include "base/names.h"
#include "base/numeric.h"
#include "base/profile.h"

static constexpr const char* kSection = "FullScreen behaviour Control";
// The dialog's own spelling. Any spelling finds the file (names compare ignoring case); the
// dialog's lookup follows the same rule from the same name, so where a folder holds several
// spellings both programs take the same one.
static constexpr const char* kFileName = "Controls.cfg";

BehaviourSettings readBehaviourSettings(const std::string& path) { return behaviourSettingsFrom(ProfileFile(path)); }

BehaviourSettings behaviourSettingsFrom(const ProfileFile& file)
{
    auto get = [&](const char* key, int fallback) { return file.readInt(kSection, key, fallback); };
    BehaviourSettings s;
    s.frameRateShown = get("fpsch_on", 0) != 0;
    s.clockShown = get("clock_on", 1) != 0;
    s.mouseEndsRun = get("mouse_on", 0) != 0;
    s.musicOn = get("music_on", 1) != 0;
    s.soundOn = get("sound_on", 1) != 0;
    // Volumes and speed are taken as unsigned before they become floats.
    s.musicVolume = static_cast<float>(static_cast<unsigned>(get("music_vo", 99))) / 100.0f;
    s.soundVolume = static_cast<float>(static_cast<unsigned>(get("sound_vo", 99))) / 100.0f;
    s.speed = static_cast<float>(static_cast<unsigned>(get("speed_vo", 1)));
    s.gamma = get("gamma_vo", 100);
    s.cameraJumpInterval = get("camjump_vo", 90);
    s.verticalSync = get("vsync_on", 0) != 0;
    return s;
}

std::string behaviourSettingsPath(const std::string& folder)
{
    // A file system that tells case apart must still find "controls.cfg" or "CONTROLS.CFG".
    return findIgnoringCase(folder, kFileName).value_or(folder + "/" + kFileName);
}

int streamVolume(float volume, float share) { return saturatingInt(volume * share); }
