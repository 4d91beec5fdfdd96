// Reading and writing the settings files: profile text in, profile text out, each file replaced
// whole so that it ends up holding exactly its one section and a failed write leaves it as it was.
#include "settings_files.h"

#include <QFile>
#include <algorithm>

#include "messages.h"
#include "say.h"

const char* const Behaviour_File_Name = "Controls.cfg";
const char* const State_File_Name = "ControlsAdj.cfg";
const char* const Behaviour_Section = "FullScreen behaviour Control";
const char* const State_Section = "Adjustment Form Control Panel Settings";

static const char* const kVolumeKey = "TrackBar_Volume_Music .Position";
static const char* const kSpeedKey = "TrackBar_Scene_Speed .Position";
static const char* const kGammaKey = "TrackBar_Gamma .Position";
static const char* const kCamKey = "TrackBar_Cam .Position";
static const char* const kPresetsKey = "RadioGroup_Presets .ItemIndex";
static const char* const kNoMusicKey = "CheckBox_NoMusic .Checked/UnChecked";
static const char* const kExitMouseKey = "CheckBox_ExitMouse .Checked/UnChecked";
static const char* const kFPSKey = "CheckBox_FPS .Checked/UnChecked";
static const char* const kTimeKey = "CheckBox_Time .Checked/UnChecked";
static const char* const kVsynchKey = "CheckBox_Vsynch .Checked/UnChecked";
static const char* const kGammaDefaultKey = "CheckBox_Gamma .Checked/UnChecked";

static QString File_Path(const QString& program_dir, const char* name)
{
    return QFile::decodeName(Find_File_Ignoring_Case(QFile::encodeName(program_dir).toStdString(), name).c_str());
}

QString Behaviour_File_Path(const QString& program_dir) { return File_Path(program_dir, Behaviour_File_Name); }
QString State_File_Path(const QString& program_dir) { return File_Path(program_dir, State_File_Name); }

Form_Settings Read_Form_Settings(const Profile_File& state_file)
{
    Form_Settings s;
    auto integer = [&](const char* key, int fallback) {
        auto value = state_file.Read_String(State_Section, key);
        return value ? Read_Profile_Integer(*value, fallback) : fallback;
    };
    auto boolean = [&](const char* key, bool fallback) { return integer(key, fallback ? 1 : 0) != 0; };
    s.Volume_Position = integer(kVolumeKey, s.Volume_Position);
    s.Scene_Speed_Position = integer(kSpeedKey, s.Scene_Speed_Position);
    s.Gamma_Position = integer(kGammaKey, s.Gamma_Position);
    s.Cam_Position = integer(kCamKey, s.Cam_Position);
    s.Presets_Item_Index = integer(kPresetsKey, s.Presets_Item_Index);
    s.No_Music = boolean(kNoMusicKey, s.No_Music);
    s.Exit_Mouse = boolean(kExitMouseKey, s.Exit_Mouse);
    s.FPS = boolean(kFPSKey, s.FPS);
    s.Time = boolean(kTimeKey, s.Time);
    s.Vsynch = boolean(kVsynchKey, s.Vsynch);
    s.Gamma_Default = boolean(kGammaDefaultKey, s.Gamma_Default);
    return s;
}

int Written_Volume(int volume_maximum, int position)
{
    const Behaviour_Key& key = Behaviour_Key_Of(Behaviour::Music_Volume);
    return std::clamp(volume_maximum - position, key.Low, key.High);
}

// The value the dialog writes for a key it has a control for.
static int Written_Value(Behaviour key, const Form_Settings& s, int volume_maximum)
{
    switch (key) {
    case Behaviour::Frame_Rate: return s.FPS;
    case Behaviour::Clock: return s.Time;
    case Behaviour::Mouse_Exit: return s.Exit_Mouse;
    case Behaviour::Vertical_Sync: return s.Vsynch;
    // One box mutes both the music and the sounds, one bar sets both volumes.
    case Behaviour::Music:
    case Behaviour::Sound: return s.No_Music ? 0 : 1;
    case Behaviour::Music_Volume:
    case Behaviour::Sound_Volume: return Written_Volume(volume_maximum, s.Volume_Position);
    case Behaviour::Speed: return s.Scene_Speed_Position;
    case Behaviour::Gamma: return s.Gamma_Position;
    case Behaviour::Camera_Jump: return s.Cam_Position;
    case Behaviour::Battery: break;   // no control: kept as found
    }
    return 0;
}

std::string Behaviour_Text(const Form_Settings& s, int volume_maximum, const Profile_File* found)
{
    Profile_File file;
    for (const Behaviour_Key& key : Behaviour_Keys) {
        if (key.Dialog_Control) {
            file.Write_String(Behaviour_Section, key.Name, std::to_string(Written_Value(key.Id, s, volume_maximum)));
        } else if (found) {
            if (const std::optional<std::string> kept = found->Read_String(Behaviour_Section, key.Name))
                file.Write_String(Behaviour_Section, key.Name, *kept);
        }
    }
    return file.Text();
}

std::string State_Text(const Form_Settings& s)
{
    Profile_File file;
    auto put = [&](const char* key, int value) { file.Write_String(State_Section, key, std::to_string(value)); };
    put(kVolumeKey, s.Volume_Position);
    put(kSpeedKey, s.Scene_Speed_Position);
    put(kGammaKey, s.Gamma_Position);
    put(kCamKey, s.Cam_Position);
    put(kPresetsKey, s.Presets_Item_Index);
    put(kNoMusicKey, s.No_Music);
    put(kExitMouseKey, s.Exit_Mouse);
    put(kFPSKey, s.FPS);
    put(kTimeKey, s.Time);
    put(kVsynchKey, s.Vsynch);
    put(kGammaDefaultKey, s.Gamma_Default);
    return file.Text();
}

Form_Settings Read_Settings_Files(const QString& program_dir)
{
    Profile_File state_file;
    Load_Profile(QFile::encodeName(State_File_Path(program_dir)).toStdString(), state_file);
    return Read_Form_Settings(state_file);
}

// Replaces one file whole; a failure is shown with the file's path.
static bool Write_File(const QString& path, const std::string& text)
{
    const Outcome written = Replace_File(QFile::encodeName(path).toStdString(), text);
    if (written.Ok) return true;
    Say("%s: %s", QFile::encodeName(path).constData(), written.Message.c_str());
    Show_Error_Message(QString("Unable to write to %1").arg(path));
    return false;
}

bool Save_Settings(const Form_Settings& settings, const QString& program_dir)
{
    // What running on battery does is set in the file alone (or for one run by the hack's option):
    // the dialog keeps such keys as it finds them.
    Profile_File before;
    Load_Profile(QFile::encodeName(Behaviour_File_Path(program_dir)).toStdString(), before);
    return Write_File(Behaviour_File_Path(program_dir), Behaviour_Text(settings, Music_Volume_Maximum, &before)) &&
           Write_File(State_File_Path(program_dir), State_Text(settings));
}

// Removes the section from the file; a missing file or section needs no write.
static bool Erase_Section_Of(const QString& path, const char* section)
{
    Profile_File file;
    const File_State loaded = Load_Profile(QFile::encodeName(path).toStdString(), file);
    if (loaded == File_State::Missing) return true;
    if (loaded == File_State::Unreadable) {
        Show_Error_Message(QString("Unable to write to %1").arg(path));
        return false;
    }
    if (!file.Erase_Section(section)) return true;
    return Write_File(path, file.Text());
}

bool Erase_Settings(const QString& program_dir)
{
    return Erase_Section_Of(Behaviour_File_Path(program_dir), Behaviour_Section) &&
           Erase_Section_Of(State_File_Path(program_dir), State_Section);
}
