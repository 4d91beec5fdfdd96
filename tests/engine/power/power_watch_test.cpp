// On battery or not from the kernel's list of power supplies, as a folder laid out like it.
#include "power/power_watch.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

TEST(PowerSupplies, MainsOnlineOrNoSupplyAtAllIsMainsAndOtherwiseBattery)
{
    using Supply = std::map<std::string, std::string>;   // file: content
    const struct {
        const char* what;
        std::map<std::string, Supply> supplies;
        bool battery;
    } cases[] = {
        {"a desktop without supplies", {}, false},
        {"a laptop on mains", {{"AC", {{"type", "Mains"}, {"online", "1"}}}, {"BAT0", {{"type", "Battery"}, {"status", "Charging"}}}}, false},
        {"a laptop on battery", {{"AC", {{"type", "Mains"}, {"online", "0"}}}, {"BAT0", {{"type", "Battery"}, {"status", "Discharging"}}}}, true},
        {"two mains, one online", {{"ADP1", {{"type", "Mains"}, {"online", "0\n"}}}, {"ADP2", {{"type", "Mains\n"}, {"online", "1\n"}}}}, false},
        {"a mains without its online file", {{"AC", {{"type", "Mains"}}}}, true},
        {"only a battery, discharging", {{"BAT0", {{"type", "Battery"}, {"status", "Discharging"}}}}, true},
        {"only a battery, full", {{"BAT0", {{"type", "Battery"}, {"status", "Full"}}}}, false},
        {"a mouse's battery beside mains", {{"AC", {{"type", "Mains"}, {"online", "1"}}}, {"hid-mouse", {{"type", "Battery"}, {"status", "Discharging"}}}}, false},
    };
    for (const auto& c : cases) {
        TempFolder temp("supplies");
        const fs::path& folder = temp.path();
        for (const auto& [name, files] : c.supplies) {
            fs::create_directory(folder / name);
            for (const auto& [file, content] : files) std::ofstream(folder / name / file) << content;
        }
        EXPECT_EQ(suppliesOnBattery(folder.string()), c.battery) << c.what;
    }
    EXPECT_FALSE(suppliesOnBattery("/nonexistent/power_supply")) << "no list at all";
}

TEST(PowerWatch, TheSuppliesAnswerWithoutUPowerAndAreAskedEveryTwoSeconds)
{
    TempFolder temp("supplies");
    const fs::path& folder = temp.path();
    fs::create_directory(folder / "AC");
    std::ofstream(folder / "AC" / "type") << "Mains";
    std::ofstream(folder / "AC" / "online") << "0";
    // A system bus that is not there: the supplies answer.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + (folder / "no-bus").string()).c_str(), 1);
    PowerWatch watch(folder.string());
    EXPECT_TRUE(watch.onBattery(100.0));
    EXPECT_EQ(watch.source(), folder.string());
    std::ofstream(folder / "AC" / "online") << "1";
    EXPECT_TRUE(watch.onBattery(101.5)) << "asked again before two seconds";
    EXPECT_FALSE(watch.onBattery(102.0));
}
