// Idleness as GNOME reports it: mutter's org.gnome.Mutter.IdleMonitor on the session bus (GNOME
// offers neither Wayland idle protocol). The host's one file that knows that interface.
#pragma once

#include "idle_source.h"
#include "outcome.h"

#include <QObject>
#include <functional>

class Gnome_Idle : public QObject {
    Q_OBJECT
public:
    // Asks mutter for word after milliseconds without input; failed when the session bus or the
    // monitor is not there.
    Outcome Start(int milliseconds, std::function<void(Idle_Change)> notify);

private slots:
    void Fired(uint id);

private:
    std::function<void(Idle_Change)> notify_;
    uint idle_watch_ = 0;
    uint active_watch_ = 0;
};
