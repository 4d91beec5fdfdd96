// The user's behaviour choices, read once at start-up; defaults are the engine's own.
#pragma once

#include "base/frame_cap.h"

#include <string>

class ProfileFile;

struct BehaviourSettings {
    bool clockShown = true;
    bool frameRateShown = false;
    bool mouseEndsRun = false;
    bool musicOn = true;
    bool soundOn = true;
    float musicVolume = 0.99f;
    float soundVolume = 0.99f;
    float speed = 1.0f;
    int cameraJumpInterval = 90;
    int gamma = 100;
    bool verticalSync = false;
    BatteryPolicy batteryPolicy = BatteryPolicy::Cap;
};

// Reads the behaviour settings of the file at path (missing file or keys: the defaults above).
BehaviourSettings readBehaviourSettings(const std::string& path);
// The same from a file already read.
BehaviourSettings behaviourSettingsFrom(const ProfileFile& file);

// Values for this run only, over those of the file: "key=value" pairs of the file's keys separated
// by ';' (as a daemon's options arrive through the host in ZERO_SETTINGS), read as the file's
// values are. Other keys are ignored. Gives how many values were taken.
int applyRunSettings(BehaviourSettings& settings, const std::string& text);

// Where the engine finds its settings: "controls.cfg" in the folder, in any letter case.
std::string behaviourSettingsPath(const std::string& folder);

// Each stream's share of full volume (100) at a volume setting of 1.
constexpr float kSeagullVolumeShare = 80.0f;
constexpr float kOceanVolumeShare = 40.0f;
constexpr float kMusicVolumeShare = 100.0f;

// A stream's volume for the audio library from a volume setting and the stream's share:
// volume × share truncated toward zero. A hand-edited negative volume reads as a huge unsigned
// number, so the product can exceed any int: it saturates (and the library then refuses it)
// instead of overflowing the conversion.
int streamVolume(float volume, float share);
