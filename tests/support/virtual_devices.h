// A virtual pointer and a virtual keyboard on a wlroots compositor's seat (sway): with no input
// device at all, the seat has no pointer or keyboard capability and its clients never get one.
#pragma once

#include <memory>
#include <string>

class VirtualDevices {
public:
    VirtualDevices();
    ~VirtualDevices();
    VirtualDevices(const VirtualDevices&) = delete;
    VirtualDevices& operator=(const VirtualDevices&) = delete;

    // Connects to the compositor's Wayland socket and makes both devices on its seat, the keyboard
    // with the default keymap; false, with the reason in why, where it cannot.
    bool connect(const std::string& socketPath, std::string& why);

private:
    struct Proxies;
    std::unique_ptr<Proxies> proxies_;
};
