// The camera presets' values and their description.
#include "presets.h"

const Camera_Preset Camera_Presets[Camera_Preset_Count] = {
    {0, 5},    // "1": frozen, a new view every 5 seconds
    {1, 0},    // "2": long flight, held at the shortest interval by the track bar
    {1, 25},   // "3": the default flight
    {2, 0},    // "4": double speed
    {3, 25},   // "5": more speed, default changes
};

const char* const Camera_Presets_Hint =
    "1 = Camera frozen changes per 5 sec\n"
    "2 = Long Camera flight without any changes\n"
    "3 = Normal Default Camera change mode\n"
    "4 = Double Speed and Long Camera flight\n"
    "5 = More Speed and Default Camera changes";
