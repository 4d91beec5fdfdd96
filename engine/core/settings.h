// The user's behaviour choices, read once at start-up; defaults are the engine's own.
#pragma once

#include <string>

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
};

// Reads the behaviour settings of the file at path (missing file or keys: the defaults above).
BehaviourSettings readBehaviourSettings(const std::string& path);

// Where the engine finds its settings: "controls.cfg" in the folder, in any letter case.
std::string behaviourSettingsPath(const std::string& folder);
