// The contract between the settings dialog and the engine: what the dialog writes is what the
// engine reads. The dialog's writer and the engine's reader run side by side on the same folder:
// each behaviour key written from a value other than the default reads back as that value (and
// nothing else changes), and in a folder with several spellings of the file, or with links and
// folders of its name, the dialog writes the file the engine then reads.
#include "base/settings.h"
#include "settings_files.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Temp_Folder {
    fs::path path;
    Temp_Folder()
    {
        char pattern[] = "/tmp/quelm-contract-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~Temp_Folder() { fs::remove_all(path); }
    QString Program_Dir() const { return QFile::decodeName(path.string().c_str()) + "/"; }
};

// Every field, so that a test can say which one changed.
std::string Describe(const BehaviourSettings& s)
{
    std::ostringstream text;
    text << "clock " << s.clockShown << ", frame rate " << s.frameRateShown << ", mouse " << s.mouseEndsRun
         << ", music " << s.musicOn << " at " << s.musicVolume << ", sound " << s.soundOn << " at " << s.soundVolume
         << ", speed " << s.speed << ", jump " << s.cameraJumpInterval << ", gamma " << s.gamma << ", vsync "
         << s.verticalSync << ", battery " << static_cast<int>(s.batteryPolicy);
    return text.str();
}

// The dialog saves these settings into a fresh program directory; the engine reads them there.
BehaviourSettings Round_Trip(const Form_Settings& settings)
{
    Temp_Folder folder;
    EXPECT_TRUE(Save_Settings(settings, folder.Program_Dir()));
    return readBehaviourSettings(behaviourSettingsPath(folder.path.string()));
}

struct Key_Case {
    const char* key;
    std::function<void(Form_Settings&)> change;          // a value other than the default
    std::function<void(BehaviourSettings&)> expected;    // what the engine then reads differently
};

}  // namespace

TEST(SettingsContract, EveryBehaviourKeyTheDialogWritesReadsBackInTheEngine)
{
    // The defaults first: what a fresh dialog writes is what the engine runs with.
    const BehaviourSettings defaults = Round_Trip(Form_Settings{});
    EXPECT_TRUE(defaults.clockShown && !defaults.frameRateShown && !defaults.mouseEndsRun && !defaults.verticalSync);
    EXPECT_TRUE(defaults.musicOn && defaults.soundOn);
    EXPECT_FLOAT_EQ(defaults.musicVolume, 0.50f);
    EXPECT_FLOAT_EQ(defaults.soundVolume, 0.50f);
    EXPECT_EQ(defaults.speed, 1.0f);
    EXPECT_EQ(defaults.gamma, 133);
    EXPECT_EQ(defaults.cameraJumpInterval, 25);

    const std::vector<Key_Case> cases = {
        {"fpsch_on", [](Form_Settings& s) { s.FPS = true; }, [](BehaviourSettings& b) { b.frameRateShown = true; }},
        {"clock_on", [](Form_Settings& s) { s.Time = false; }, [](BehaviourSettings& b) { b.clockShown = false; }},
        {"mouse_on", [](Form_Settings& s) { s.Exit_Mouse = true; }, [](BehaviourSettings& b) { b.mouseEndsRun = true; }},
        {"vsync_on", [](Form_Settings& s) { s.Vsynch = true; }, [](BehaviourSettings& b) { b.verticalSync = true; }},
        // One box mutes both the music and the sounds.
        {"music_on and sound_on", [](Form_Settings& s) { s.No_Music = true; },
         [](BehaviourSettings& b) { b.musicOn = b.soundOn = false; }},
        // The volume bar's top is loudest: position 80 of 100 is volume 20, for both volumes.
        {"music_vo and sound_vo", [](Form_Settings& s) { s.Volume_Position = 80; },
         [](BehaviourSettings& b) { b.musicVolume = b.soundVolume = 0.20f; }},
        {"music_vo and sound_vo at the top", [](Form_Settings& s) { s.Volume_Position = 0; },
         [](BehaviourSettings& b) { b.musicVolume = b.soundVolume = 0.99f; }},
        {"speed_vo", [](Form_Settings& s) { s.Scene_Speed_Position = 5; }, [](BehaviourSettings& b) { b.speed = 5; }},
        {"speed_vo frozen", [](Form_Settings& s) { s.Scene_Speed_Position = 0; }, [](BehaviourSettings& b) { b.speed = 0; }},
        {"gamma_vo", [](Form_Settings& s) { s.Gamma_Default = false, s.Gamma_Position = 187; },
         [](BehaviourSettings& b) { b.gamma = 187; }},
        {"camjump_vo", [](Form_Settings& s) { s.Cam_Position = 61; },
         [](BehaviourSettings& b) { b.cameraJumpInterval = 61; }},
    };
    for (const Key_Case& c : cases) {
        Form_Settings settings;
        c.change(settings);
        BehaviourSettings expected = defaults;
        c.expected(expected);
        EXPECT_EQ(Describe(Round_Trip(settings)), Describe(expected)) << c.key;
    }
}

TEST(SettingsContract, TheDialogWritesTheFileTheEngineReadsWhateverTheFolderHolds)
{
    // Entries the program directory holds before the dialog saves: "name" a file, "name/" a
    // folder, "name>target" a symbolic link.
    const std::vector<std::vector<std::string>> layouts = {
        {},
        {"Controls.cfg"},
        {"controls.cfg"},
        {"CONTROLS.CFG", "controls.cfg"},
        {"CONTROLS.CFG", "Controls.cfg", "controls.cfg"},
        {"Controls.cfg/", "controls.cfg"},
        {"Controls.cfg>nowhere", "controls.CFG"},
        {"Controls.cfg>real.cfg", "real.cfg"},
        {"CONTROLS.cfg>nowhere"},
    };
    for (const auto& layout : layouts) {
        Temp_Folder folder;
        std::string described;
        for (const std::string& entry : layout) {
            described += entry + " ";
            const size_t arrow = entry.find('>');
            if (entry.ends_with('/')) fs::create_directory(folder.path / entry.substr(0, entry.size() - 1));
            else if (arrow != std::string::npos)
                fs::create_symlink(entry.substr(arrow + 1), folder.path / entry.substr(0, arrow));
            else std::ofstream(folder.path / entry) << "[FullScreen behaviour Control]\ncamjump_vo=7\n";
        }
        Form_Settings settings;
        settings.Cam_Position = 42;
        if (!Save_Settings(settings, folder.Program_Dir())) {
            ADD_FAILURE() << "the dialog could not save into: " << described;
            continue;
        }
        EXPECT_EQ(readBehaviourSettings(behaviourSettingsPath(folder.path.string())).cameraJumpInterval, 42)
            << "the engine read another file than the dialog wrote, in: " << described;
    }
}

// The engine's key for what running on battery does has no control in the dialog: a save keeps
// it as the file held it, and a file without it gives the engine's default.
TEST(SettingsContract, TheBatteryKeyIsKeptAsTheDialogFoundIt)
{
    const struct {
        const char* before;   // the behaviour file before the save; nullptr: none
        BatteryPolicy read;
        const char* kept;     // the line the saved file holds; nullptr: none
    } cases[] = {
        {nullptr, BatteryPolicy::Cap, nullptr},
        {"[FullScreen behaviour Control]\nclock_on=0\n", BatteryPolicy::Cap, nullptr},
        {"[FullScreen behaviour Control]\nbattery_mode=2\n", BatteryPolicy::Still, "battery_mode=2"},
        {"[FullScreen behaviour Control]\r\nBATTERY_MODE=1\r\nclock_on=0\r\n", BatteryPolicy::Full, "battery_mode=1"},
        {"[FullScreen behaviour Control]\nbattery_mode=9\n", BatteryPolicy::Cap, "battery_mode=9"},
    };
    for (const auto& c : cases) {
        Temp_Folder folder;
        if (c.before) std::ofstream(folder.path / "Controls.cfg") << c.before;
        ASSERT_TRUE(Save_Settings(Form_Settings{}, folder.Program_Dir()));
        std::ifstream in(folder.path / "Controls.cfg");
        const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string what = c.before ? c.before : "no file";
        EXPECT_EQ(readBehaviourSettings(behaviourSettingsPath(folder.path.string())).batteryPolicy, c.read) << what;
        if (c.kept) EXPECT_NE(saved.find(c.kept), std::string::npos) << what << " saved as:\n" << saved;
        else EXPECT_EQ(saved.find("battery_mode"), std::string::npos) << what << " saved as:\n" << saved;
    }
}
