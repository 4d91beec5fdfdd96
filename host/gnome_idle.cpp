// mutter's idle monitor: an idle watch that fires each time the session has been idle that long,
// and a one-shot user-active watch, set anew after each idle, for the return.
#include "gnome_idle.h"

#include "say.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

const QString kService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString kInterface = QStringLiteral("org.gnome.Mutter.IdleMonitor");

}  // namespace

Outcome Gnome_Idle::Start(int milliseconds, std::function<void(Idle_Change)> notify)
{
    notify_ = std::move(notify);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return Failed("no session bus to ask GNOME about idleness");
    // Connected first, so that no firing goes by between the watch and the connection.
    bus.connect(kService, kPath, kInterface, QStringLiteral("WatchFired"), this, SLOT(Fired(uint)));
    QDBusInterface monitor(kService, kPath, kInterface, bus);
    QDBusReply<uint> reply = monitor.call(QStringLiteral("AddIdleWatch"), static_cast<qulonglong>(milliseconds));
    if (!reply.isValid())
        return Failed_With(QStringLiteral("GNOME's idle monitor does not answer (%1)").arg(reply.error().message()));
    idle_watch_ = reply.value();
    return Succeeded();
}

void Gnome_Idle::Fired(uint id)
{
    if (id == idle_watch_) {
        // The return is a watch of its own, which fires once: made anew for each idle.
        QDBusInterface monitor(kService, kPath, kInterface, QDBusConnection::sessionBus());
        QDBusReply<uint> reply = monitor.call(QStringLiteral("AddUserActiveWatch"));
        if (reply.isValid()) active_watch_ = reply.value();
        else Say("GNOME's idle monitor gave no watch for the user's return: %s", qPrintable(reply.error().message()));
        notify_(Idle_Change::Idle);
    } else if (id != 0 && id == active_watch_) {
        active_watch_ = 0;
        notify_(Idle_Change::Resumed);
    }
}
