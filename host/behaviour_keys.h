// The behaviour keys the engine reads from "Controls.cfg": each with its kind, its range, whether
// the dialog has a control for it, and the daemon's hack option that sets it for one run. The hack's
// command line and the settings files both go by this one table.
#pragma once

#include <cstddef>

enum class Behaviour_Kind {
    Switch,   // 0 or 1; the hack option comes as --name and --no-name
    Number,   // a whole number from Low to High; the hack option takes it as its value
    Choice,   // 0 to High, each a word of the hack option by its place
};

// The keys in the order the settings dialog writes them.
enum class Behaviour {
    Frame_Rate, Clock, Mouse_Exit, Vertical_Sync, Music, Sound,
    Music_Volume, Sound_Volume, Speed, Gamma, Camera_Jump, Battery,
};

struct Behaviour_Key {
    Behaviour Id;
    const char* Name;          // as the file and the engine spell it
    Behaviour_Kind Kind;
    int Low, High;
    bool Dialog_Control;       // false: the dialog keeps the value as it finds it in the file
    const char* Hack_Option;   // without dashes; nullptr where the daemon cannot set it
    const char* Words[3];      // a choice's words, each the value by its place
};

inline constexpr Behaviour_Key Behaviour_Keys[] = {
    {Behaviour::Frame_Rate, "fpsch_on", Behaviour_Kind::Switch, 0, 1, true, "fps", {}},
    {Behaviour::Clock, "clock_on", Behaviour_Kind::Switch, 0, 1, true, "clock", {}},
    {Behaviour::Mouse_Exit, "mouse_on", Behaviour_Kind::Switch, 0, 1, true, nullptr, {}},
    {Behaviour::Vertical_Sync, "vsync_on", Behaviour_Kind::Switch, 0, 1, true, "vsync", {}},
    {Behaviour::Music, "music_on", Behaviour_Kind::Switch, 0, 1, true, "music", {}},
    {Behaviour::Sound, "sound_on", Behaviour_Kind::Switch, 0, 1, true, "sound", {}},
    {Behaviour::Music_Volume, "music_vo", Behaviour_Kind::Number, 10, 99, true, "music-volume", {}},
    {Behaviour::Sound_Volume, "sound_vo", Behaviour_Kind::Number, 10, 99, true, "sound-volume", {}},
    {Behaviour::Speed, "speed_vo", Behaviour_Kind::Number, 0, 7, true, "speed", {}},
    // The gamma is the daemon's own business: no hack option.
    {Behaviour::Gamma, "gamma_vo", Behaviour_Kind::Number, 50, 200, true, nullptr, {}},
    {Behaviour::Camera_Jump, "camjump_vo", Behaviour_Kind::Number, 3, 100, true, "jump-interval", {}},
    {Behaviour::Battery, "battery_mode", Behaviour_Kind::Choice, 0, 2, false, "battery", {"cap", "full", "still"}},
};

constexpr std::size_t Behaviour_Key_Count = sizeof(Behaviour_Keys) / sizeof(Behaviour_Keys[0]);

// The table's entry for a key; the table lists the keys in their enumeration's order.
constexpr const Behaviour_Key& Behaviour_Key_Of(Behaviour id)
{
    return Behaviour_Keys[static_cast<std::size_t>(id)];
}

// The table is laid out as the enumeration: Behaviour_Key_Of indexes it directly.
static_assert([] {
    for (std::size_t i = 0; i < Behaviour_Key_Count; ++i)
        if (static_cast<std::size_t>(Behaviour_Keys[i].Id) != i) return false;
    return true;
}());
