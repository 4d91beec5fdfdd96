// Whether the machine runs on battery: UPower's OnBattery on the system bus, else the mains
// supplies the kernel lists (a machine with none is on mains).
#pragma once

#include <memory>
#include <string>

struct DBusConnection;
struct DBusPendingCall;

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

    // Asks again when 2 s have passed since the last question (now in seconds), so that a change
    // of the power source is seen within that time; gives the latest answer. The first question
    // waits up to half a second for UPower; later ones never wait: UPower's answer is taken up by
    // a later call, and a UPower that has not answered a question within 2 s is given up on for
    // it, the supplies answering meanwhile.
    bool onBattery(double now);
    // Who answered last, for the log: "UPower" or the supplies' folder.
    const std::string& source() const { return source_; }

private:
    bool connect();
    // Sends the question; false where it cannot be sent.
    bool askUPower();
    // Takes up UPower's answer where it has come, without waiting; true when it has.
    bool takeAnswer();
    void fromSupplies();

    std::string folder_;
    std::string source_;
    DBusConnection* bus_ = nullptr;
    DBusPendingCall* pending_ = nullptr;
    double pendingSince_ = 0.0;
    bool busTried_ = false;
    bool upowerAnswers_ = false;   // UPower answered the last question
    bool answer_ = false;
    double askedAt_ = -1.0;
};
