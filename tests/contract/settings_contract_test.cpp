// The contract between the host and the engine: what the dialog writes and the daemon's options
// ask is what the engine reads. The dialog's writer and the engine's reader run side by side on
// the same folder: each behaviour key written from a value other than the default reads back as
// that value (and nothing else changes), and in a folder with several spellings of the file, or
// with links and folders of its name, the dialog writes the file the engine then reads. The
// host's table of behaviour keys is held to the engine's reader key by key.
#include "base/settings.h"
#include "command_line.h"
#include "settings_files.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

QString Program_Dir(const TempFolder& folder)
{
    return QFile::decodeName(folder.str().c_str()) + "/";
}

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
    TempFolder folder("contract");
    EXPECT_TRUE(Save_Settings(settings, Program_Dir(folder)));
    return readBehaviourSettings(behaviourSettingsPath(folder.str()));
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
        TempFolder folder("contract");
        std::string described;
        for (const std::string& entry : layout) {
            described += entry + " ";
            const size_t arrow = entry.find('>');
            if (entry.ends_with('/')) fs::create_directory(folder / entry.substr(0, entry.size() - 1));
            else if (arrow != std::string::npos)
                fs::create_symlink(entry.substr(arrow + 1), folder / entry.substr(0, arrow));
            else std::ofstream(folder / entry) << "[FullScreen behaviour Control]\ncamjump_vo=7\n";
        }
        Form_Settings settings;
        settings.Cam_Position = 42;
        if (!Save_Settings(settings, Program_Dir(folder))) {
            ADD_FAILURE() << "the dialog could not save into: " << described;
            continue;
        }
        EXPECT_EQ(readBehaviourSettings(behaviourSettingsPath(folder.str())).cameraJumpInterval, 42)
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
        TempFolder folder("contract");
        if (c.before) std::ofstream(folder / "Controls.cfg") << c.before;
        ASSERT_TRUE(Save_Settings(Form_Settings{}, Program_Dir(folder)));
        std::ifstream in(folder / "Controls.cfg");
        const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string what = c.before ? c.before : "no file";
        EXPECT_EQ(readBehaviourSettings(behaviourSettingsPath(folder.str())).batteryPolicy, c.read) << what;
        if (c.kept) EXPECT_NE(saved.find(c.kept), std::string::npos) << what << " saved as:\n" << saved;
        else EXPECT_EQ(saved.find("battery_mode"), std::string::npos) << what << " saved as:\n" << saved;
    }
}

namespace {

// What the engine runs with when this run asks for "key=value".
std::string Engine_With(const Behaviour_Key& key, int value, int* taken = nullptr)
{
    BehaviourSettings settings;
    const int count = applyRunSettings(settings, std::string(key.Name) + "=" + std::to_string(value));
    if (taken) *taken = count;
    return Describe(settings);
}

// The daemon's option for a key at one end of its range, as the hack's command line spells it.
QStringList Hack_Arguments(const Behaviour_Key& key, bool high)
{
    const QString option = QStringLiteral("--") + QLatin1String(key.Hack_Option);
    switch (key.Kind) {
    case Behaviour_Kind::Switch: return {"--root", high ? option : QStringLiteral("--no-") + key.Hack_Option};
    case Behaviour_Kind::Number: return {"--root", option, QString::number(high ? key.High : key.Low)};
    case Behaviour_Kind::Choice: return {"--root", option, QLatin1String(key.Words[high ? key.High : key.Low])};
    }
    return {};
}

}  // namespace

// Every key of the host's table is one the engine reads, and the ends of its range read as two
// different runs: a key spelled differently on either side, or a range the engine reads as one
// value, fails here.
TEST(SettingsContract, EveryKeyOfTheHostsTableIsOneTheEngineReads)
{
    for (const Behaviour_Key& key : Behaviour_Keys) {
        int taken = 0;
        const std::string low = Engine_With(key, key.Low, &taken);
        EXPECT_EQ(taken, 1) << key.Name << " is not a key the engine takes";
        EXPECT_NE(low, Engine_With(key, key.High)) << key.Name << " from " << key.Low << " to " << key.High;
    }
}

// Each of the daemon's options reaches the engine as its key: the two ends of the option's range
// (--name and --no-name for a switch) make the two runs the key's own ends make.
TEST(SettingsContract, EveryHackOptionReachesTheEngineAsItsKey)
{
    for (const Behaviour_Key& key : Behaviour_Keys) {
        if (!key.Hack_Option) continue;
        for (bool high : {false, true}) {
            const QStringList args = Hack_Arguments(key, high);
            const auto request = Read_Hack_Request(args, "0x40000C", true);
            ASSERT_TRUE(request.Ok && request.Value) << args.join(' ').toStdString() << ": " << request.Message;
            BehaviourSettings settings;
            EXPECT_EQ(applyRunSettings(settings, request.Value->Run_Settings.toStdString()), 1)
                << request.Value->Run_Settings.toStdString();
            EXPECT_EQ(Describe(settings), Engine_With(key, high ? key.High : key.Low)) << args.join(' ').toStdString();
        }
    }
}
