// idle_inhibitor: a Wayland client that keeps the session from going idle, as a video player does,
// until a signal ends it (the compositor drops the inhibitor with the connection); says
// "inhibiting" once the compositor has the inhibitor.
#include <idle-inhibit-unstable-v1-client.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

static wl_compositor* g_compositor = nullptr;
static zwp_idle_inhibit_manager_v1* g_manager = nullptr;

static void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        g_compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 1));
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        g_manager = static_cast<zwp_idle_inhibit_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1));
}

static void onGlobalRemove(void*, wl_registry*, uint32_t) {}

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "idle_inhibitor: no compositor\n");
        return 1;
    }
    static const wl_registry_listener listener{onGlobal, onGlobalRemove};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, nullptr);
    wl_display_roundtrip(display);
    if (!g_compositor || !g_manager) {
        std::fprintf(stderr, "idle_inhibitor: the compositor offers no idle inhibitor\n");
        return 1;
    }
    wl_surface* surface = wl_compositor_create_surface(g_compositor);
    zwp_idle_inhibitor_v1* inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(g_manager, surface);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    std::fprintf(stderr, "idle_inhibitor: inhibiting\n");
    while (wl_display_dispatch(display) >= 0) {}
    zwp_idle_inhibitor_v1_destroy(inhibitor);
    wl_surface_destroy(surface);
    wl_display_disconnect(display);
    return 0;
}
