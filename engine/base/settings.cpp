// The behaviour settings file: section "FullScreen behaviour Control", read in the engine's order.
#include "base/settings.h"

#include "base/names.h"
#include "base/numeric.h"
#include "base/profile.h"

#include <algorithm>

static constexpr const char* kSection = "FullScreen behaviour Control";
// The dialog's own spelling. Any spelling finds the file (names compare ignoring case); the
// dialog's lookup follows the same rule from the same name, so where a folder holds several
// spellings both programs take the same one.
static constexpr const char* kFileName = "Controls.cfg";

BehaviourSettings readBehaviourSettings(const std::string& path) { return behaviourSettingsFrom(ProfileFile(path)); }

namespace {

// Each key with the engine's default and how its value lands in the settings, in the order the
// engine reads them. Volumes and speed are taken as unsigned before they become floats.
struct SettingsKey {
    const char* name;
    int fallback;
    void (*apply)(BehaviourSettings&, int);
};

float unsignedFloat(int value) { return static_cast<float>(static_cast<unsigned>(value)); }

const SettingsKey kKeys[] = {
    {"fpsch_on", 0, [](BehaviourSettings& s, int v) { s.frameRateShown = v != 0; }},
    {"clock_on", 1, [](BehaviourSettings& s, int v) { s.clockShown = v != 0; }},
    {"mouse_on", 0, [](BehaviourSettings& s, int v) { s.mouseEndsRun = v != 0; }},
    {"music_on", 1, [](BehaviourSettings& s, int v) { s.musicOn = v != 0; }},
    {"sound_on", 1, [](BehaviourSettings& s, int v) { s.soundOn = v != 0; }},
    {"music_vo", 99, [](BehaviourSettings& s, int v) { s.musicVolume = unsignedFloat(v) / 100.0f; }},
    {"sound_vo", 99, [](BehaviourSettings& s, int v) { s.soundVolume = unsignedFloat(v) / 100.0f; }},
    {"speed_vo", 1, [](BehaviourSettings& s, int v) { s.speed = unsignedFloat(v); }},
    {"gamma_vo", 100, [](BehaviourSettings& s, int v) { s.gamma = v; }},
    {"camjump_vo", 90, [](BehaviourSettings& s, int v) { s.cameraJumpInterval = v; }},
    {"vsync_on", 0, [](BehaviourSettings& s, int v) { s.verticalSync = v != 0; }},
    // What running on battery does: 0 fewer frames, 1 full speed, 2 a still picture; anything else
    // is the default.
    {"battery_mode", 0, [](BehaviourSettings& s, int v) {
         s.batteryPolicy = v == 1 ? BatteryPolicy::Full : v == 2 ? BatteryPolicy::Still : BatteryPolicy::Cap;
     }},
};

}  // namespace

BehaviourSettings behaviourSettingsFrom(const ProfileFile& file)
{
    BehaviourSettings s;
    for (const SettingsKey& key : kKeys) key.apply(s, file.readInt(kSection, key.name, key.fallback));
    return s;
}

int applyRunSettings(BehaviourSettings& settings, const std::string& text)
{
    std::string lines = std::string("[") + kSection + "]\n" + text;
    std::replace(lines.begin(), lines.end(), ';', '\n');
    const ProfileFile file = ProfileFile::fromText(lines);
    int applied = 0;
    for (const SettingsKey& key : kKeys) {
        if (const auto value = file.findInt(kSection, key.name)) {
            key.apply(settings, *value);
            ++applied;
        }
    }
    return applied;
}

std::string behaviourSettingsPath(const std::string& folder)
{
    // A file system that tells case apart must still find "controls.cfg" or "CONTROLS.CFG".
    return findIgnoringCase(folder, kFileName).value_or(folder + "/" + kFileName);
}

int streamVolume(float volume, float share) { return saturatingInt(volume * share); }
