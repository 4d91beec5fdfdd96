// The settings dialog's two files in the program directory: the behaviour settings that the
// engine reads, and the form's own state (the raw control positions) that reopens the form as
// it was left. The form hands its settings over as a Form_Settings and takes them back so.
#pragma once

#include <QString>

#include <optional>
#include <string>

#include "behaviour_keys.h"
#include "profile.h"

extern const char* const Behaviour_File_Name;   // "Controls.cfg"
extern const char* const State_File_Name;       // "ControlsAdj.cfg"
extern const char* const Behaviour_Section;     // "FullScreen behaviour Control"
extern const char* const State_Section;         // "Adjustment Form Control Panel Settings"

// The music volume track bar runs from 0 (top, loudest) to this.
constexpr int Music_Volume_Maximum = 100;

// The form state as stored: positions, the preset item (-1 for none) and the check boxes. The
// values here are the defaults: a fresh form, a missing key and Restore all give them.
struct Form_Settings {
    int Volume_Position = 50;
    int Scene_Speed_Position = 1;
    int Gamma_Position = 133;
    int Cam_Position = 25;
    int Presets_Item_Index = -1;
    bool No_Music = false;
    bool Exit_Mouse = false;
    bool FPS = false;
    bool Time = true;
    bool Vsynch = false;
    bool Gamma_Default = true;
};

// The files' paths: the program directory (ending with "/") and the name, or an existing file
// whose name differs from it only in letter case (the one the engine reads, see files.h).
QString Behaviour_File_Path(const QString& program_dir);
QString State_File_Path(const QString& program_dir);

// The stored state; a missing key or a value that is not a number gives the default. Values are
// not held to the controls' ranges here: the controls do that when they take them.
Form_Settings Read_Form_Settings(const Profile_File& state_file);
// The whole text of each file for these settings: one section, every key in its order.
// found: the file as it was; each key the engine reads and the dialog has no control for is
// written back as it held it (left out where it held none, or where there is no file).
std::string Behaviour_Text(const Form_Settings& settings, int volume_maximum, const Profile_File* found = nullptr);
std::string State_Text(const Form_Settings& settings);
// The volume the engine gets: the track bar's maximum minus its position, held to the volume
// keys' range (10 to 99).
int Written_Volume(int volume_maximum, int position);

// The state file of the program directory read (defaults where it is missing or unreadable).
Form_Settings Read_Settings_Files(const QString& program_dir);
// Writes the behaviour file, then the state file, each replaced whole. A failed write shows
// "Unable to write to" and the path, skips the rest and returns false.
bool Save_Settings(const Form_Settings& settings, const QString& program_dir);
// Removes the section of each file, keeping whatever else the file holds. The same message
// and result as Save_Settings on failure.
bool Erase_Settings(const QString& program_dir);
