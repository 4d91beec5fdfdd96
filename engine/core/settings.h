// The user's behaviour choices, read once at start-up; defaults are the engine's own.
#pragma once

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
