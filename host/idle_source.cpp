// The compositor's idle protocols over libwayland-client, on a connection of the host's own
// (Qt's, where it has one, is not shared: the watcher may run with no window at all).
#include "idle_source.h"

#include "say.h"

#include <ext-idle-notify-v1-client.h>
#include <idle-client.h>
#include <xdg-output-unstable-v1-client.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

struct Output {
    wl_output* Proxy = nullptr;
    zxdg_output_v1* Xdg = nullptr;
    uint32_t Global = 0;
    std::string Name;
};

class Wayland_Idle final : public Idle_Source {
public:
    ~Wayland_Idle() override
    {
        if (Ext_Notification) ext_idle_notification_v1_destroy(Ext_Notification);
        if (Kde_Timeout) org_kde_kwin_idle_timeout_release(Kde_Timeout);
        if (Ext_Notifier) ext_idle_notifier_v1_destroy(Ext_Notifier);
        if (Kde_Idle) org_kde_kwin_idle_destroy(Kde_Idle);
        for (Output* output : Outputs_) {
            if (output->Xdg) zxdg_output_v1_destroy(output->Xdg);
            if (output->Proxy) wl_output_destroy(output->Proxy);
            delete output;
        }
        if (Xdg_Manager) zxdg_output_manager_v1_destroy(Xdg_Manager);
        if (Seat) wl_seat_destroy(Seat);
        if (Registry) wl_registry_destroy(Registry);
        if (Display) wl_display_disconnect(Display);
    }

    Outcome Connect(int milliseconds)
    {
        Display = wl_display_connect(nullptr);
        if (!Display)
            return Failed_With(QStringLiteral("no Wayland compositor to ask about idleness (WAYLAND_DISPLAY=%1)")
                                           .arg(qEnvironmentVariable("WAYLAND_DISPLAY")));
        Registry = wl_display_get_registry(Display);
        wl_registry_add_listener(Registry, &Registry_Listener, this);
        if (wl_display_roundtrip(Display) < 0 || wl_display_roundtrip(Display) < 0)
            return Failed("the Wayland compositor ended the connection");
        if (!Seat || (!Ext_Notifier && !Kde_Idle)) return Succeeded();   // outputs only
        if (Ext_Notifier) {
            Ext_Notification = ext_idle_notifier_v1_get_idle_notification(Ext_Notifier, static_cast<uint32_t>(milliseconds), Seat);
            ext_idle_notification_v1_add_listener(Ext_Notification, &Ext_Listener, this);
        } else {
            Kde_Timeout = org_kde_kwin_idle_get_idle_timeout(Kde_Idle, Seat, static_cast<uint32_t>(milliseconds));
            org_kde_kwin_idle_timeout_add_listener(Kde_Timeout, &Kde_Listener, this);
        }
        wl_display_flush(Display);
        return Succeeded();
    }

    QString Protocol() const override
    {
        if (Ext_Notification) return QStringLiteral("ext-idle-notify-v1");
        return Kde_Timeout ? QStringLiteral("org_kde_kwin_idle") : QString();
    }

    QStringList Outputs() override
    {
        // Names that came since; idle events met on the way are kept for Kept().
        wl_display_roundtrip(Display);
        QStringList names;
        for (const Output* output : Outputs_)
            if (!output->Name.empty()) names << QString::fromStdString(output->Name);
        return names;
    }

    int Fd() const override { return wl_display_get_fd(Display); }

    std::vector<Idle_Change> Read() override
    {
        if (wl_display_dispatch(Display) < 0) Changes.push_back(Idle_Change::Lost);
        wl_display_flush(Display);
        return Kept();
    }

    std::vector<Idle_Change> Kept() override
    {
        std::vector<Idle_Change> taken;
        taken.swap(Changes);
        return taken;
    }

private:
    static void On_Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
    {
        auto* self = static_cast<Wayland_Idle*>(data);
        const std::string kind = interface;
        if (kind == wl_seat_interface.name && !self->Seat) {
            self->Seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (kind == wl_output_interface.name) {
            auto* output = new Output;
            output->Global = name;
            const uint32_t bound = version < 4 ? std::min(version, 2u) : 4;
            output->Proxy = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, bound));
            wl_output_add_listener(output->Proxy, &Output_Listener, output);
            self->Outputs_.push_back(output);
            self->Watch_Xdg(*output);
        } else if (kind == zxdg_output_manager_v1_interface.name) {
            self->Xdg_Manager = static_cast<zxdg_output_manager_v1*>(
                wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, 3u)));
            for (Output* output : self->Outputs_) self->Watch_Xdg(*output);
        } else if (kind == ext_idle_notifier_v1_interface.name) {
            self->Ext_Notifier = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        } else if (kind == org_kde_kwin_idle_interface.name) {
            self->Kde_Idle = static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        }
    }

    static void On_Global_Remove(void* data, wl_registry*, uint32_t name)
    {
        auto* self = static_cast<Wayland_Idle*>(data);
        for (auto it = self->Outputs_.begin(); it != self->Outputs_.end(); ++it) {
            if ((*it)->Global != name) continue;
            if ((*it)->Xdg) zxdg_output_v1_destroy((*it)->Xdg);
            wl_output_destroy((*it)->Proxy);
            delete *it;
            self->Outputs_.erase(it);
            return;
        }
    }

    // Where wl_output is older than version 4 its name comes from xdg-output.
    void Watch_Xdg(Output& output)
    {
        if (!Xdg_Manager || output.Xdg || wl_proxy_get_version(reinterpret_cast<wl_proxy*>(output.Proxy)) >= 4) return;
        output.Xdg = zxdg_output_manager_v1_get_xdg_output(Xdg_Manager, output.Proxy);
        zxdg_output_v1_add_listener(output.Xdg, &Xdg_Listener, &output);
    }

    static void Output_Name(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->Name = name; }
    static void Xdg_Name(void* data, zxdg_output_v1*, const char* name) { static_cast<Output*>(data)->Name = name; }
    static void Idled(void* data, ext_idle_notification_v1*) { static_cast<Wayland_Idle*>(data)->Changes.push_back(Idle_Change::Idle); }
    static void Ext_Resumed(void* data, ext_idle_notification_v1*)
    {
        static_cast<Wayland_Idle*>(data)->Changes.push_back(Idle_Change::Resumed);
    }
    static void Kde_Idle_Event(void* data, org_kde_kwin_idle_timeout*)
    {
        static_cast<Wayland_Idle*>(data)->Changes.push_back(Idle_Change::Idle);
    }
    static void Kde_Resumed(void* data, org_kde_kwin_idle_timeout*)
    {
        static_cast<Wayland_Idle*>(data)->Changes.push_back(Idle_Change::Resumed);
    }

    static constexpr wl_registry_listener Registry_Listener{On_Global, On_Global_Remove};
    static constexpr wl_output_listener Output_Listener{
        [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
        [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
        [](void*, wl_output*) {},
        [](void*, wl_output*, int32_t) {},
        Output_Name,
        [](void*, wl_output*, const char*) {}};
    static constexpr zxdg_output_v1_listener Xdg_Listener{
        [](void*, zxdg_output_v1*, int32_t, int32_t) {}, [](void*, zxdg_output_v1*, int32_t, int32_t) {},
        [](void*, zxdg_output_v1*) {}, Xdg_Name, [](void*, zxdg_output_v1*, const char*) {}};
    static constexpr ext_idle_notification_v1_listener Ext_Listener{Idled, Ext_Resumed};
    static constexpr org_kde_kwin_idle_timeout_listener Kde_Listener{Kde_Idle_Event, Kde_Resumed};

    wl_display* Display = nullptr;
    wl_registry* Registry = nullptr;
    wl_seat* Seat = nullptr;
    zxdg_output_manager_v1* Xdg_Manager = nullptr;
    ext_idle_notifier_v1* Ext_Notifier = nullptr;
    ext_idle_notification_v1* Ext_Notification = nullptr;
    org_kde_kwin_idle* Kde_Idle = nullptr;
    org_kde_kwin_idle_timeout* Kde_Timeout = nullptr;
    std::vector<Output*> Outputs_;
    std::vector<Idle_Change> Changes;
};

}  // namespace

Result<std::unique_ptr<Idle_Source>> Connect_Wayland_Idle(int milliseconds)
{
    auto source = std::make_unique<Wayland_Idle>();
    if (Outcome connected = source->Connect(milliseconds); !connected.Ok) return connected;
    return {Succeeded(), std::move(source)};
}
