// Whether the machine runs on battery: UPower's OnBattery on the system bus, else the mains
// supplies the kernel lists (a machine with none is on mains).
#pragma once

#include <memory>
#include <string>

struct DBusConnection;

// Reads the supplies in folder (the kernel's /sys/class/power_supply): on battery when at least
// one mains supply is listed and none is online; without mains supplies, when a battery says it is
// discharging.
bool suppliesOnBattery(const std::string& folder);

class PowerWatch {
public:
    // supplyFolder: where the supplies are listed (tests hand a folder of their own).
    explicit PowerWatch(std::string supplyFolder = "/sys/class/power_supply");
    ~PowerWatch();
    PowerWatch(const PowerWatch&) = delete;
    PowerWatch& operator=(const PowerWatch&) = delete;

    // Asks again when 2 s have passed since the last answer (now in seconds), so that a change of
    // the power source is seen within that time; gives the latest answer.
    bool onBattery(double now);
    // Who answered last, for the log: "UPower" or the supplies' folder.
    const std::string& source() const { return source_; }

private:
    bool askUPower(bool& answer);

    std::string folder_;
    std::string source_;
    DBusConnection* bus_ = nullptr;
    bool busTried_ = false;
    bool answer_ = false;
    double askedAt_ = -1.0;
};
