// The five camera presets of the settings form: scene speed and camera-change interval together.
#pragma once

struct Camera_Preset {
    int Scene_Speed;
    int Cam_Seconds;   // 0 asks for the shortest interval the camera track bar allows
};

constexpr int Camera_Preset_Count = 5;
extern const Camera_Preset Camera_Presets[Camera_Preset_Count];

// The radio group's hint, one line per preset.
extern const char* const Camera_Presets_Hint;
