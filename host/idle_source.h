// Idleness as a Wayland compositor reports it, and the outputs it has: the host's one file that
// knows Wayland. ext-idle-notify-v1 where offered (sway 1.8+, KDE Plasma 5.27+, Hyprland, labwc,
// niri, wayfire), else KDE's older org_kde_kwin_idle (sway 1.7). GNOME offers neither (see
// gnome_idle.h).
#pragma once

#include "outcome.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

enum class Idle_Change { Idle, Resumed, Lost };

class Idle_Source {
public:
    virtual ~Idle_Source() = default;
    // "ext-idle-notify-v1" or "org_kde_kwin_idle", for the log; empty where the compositor has
    // neither (GNOME): its outputs are still named here, and idleness comes from elsewhere.
    virtual QString Protocol() const = 0;
    // The outputs by the compositor's names, in its order.
    virtual QStringList Outputs() = 0;
    // The file descriptor to wait on; Read() then takes what came, with any change that an
    // earlier Outputs() call met on the way and kept.
    virtual int Fd() const = 0;
    virtual std::vector<Idle_Change> Read() = 0;
    // Changes kept since the last Read(), taken without waiting.
    virtual std::vector<Idle_Change> Kept() = 0;
};

// Connects to the session's compositor and asks it for word after milliseconds without input,
// where it offers a protocol for that. Failed when there is no compositor.
Result<std::unique_ptr<Idle_Source>> Connect_Wayland_Idle(int milliseconds);
