// fake_pointer: moves the pointer of a KWin session by a few pixels through KWin's fake input
// interface, as a user's hand on the mouse would: the checks' way to come back to a KDE desktop
// that has no input device (KWin takes no virtual keyboard from wtype). Exit 0 once sent.
#include <fake-input-client.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

static org_kde_kwin_fake_input* g_input = nullptr;

static void onGlobal(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        g_input = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 1));
}

static void onGlobalRemove(void*, wl_registry*, uint32_t) {}

int main()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "fake_pointer: no compositor\n");
        return 1;
    }
    static const wl_registry_listener listener{onGlobal, onGlobalRemove};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, nullptr);
    wl_display_roundtrip(display);
    if (!g_input) {
        std::fprintf(stderr, "fake_pointer: the compositor offers no fake input\n");
        wl_display_disconnect(display);
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(g_input, "Quelm 3D checks", "the user's return to an idle session");
    org_kde_kwin_fake_input_pointer_motion(g_input, wl_fixed_from_int(20), wl_fixed_from_int(20));
    const bool sent = wl_display_roundtrip(display) >= 0;
    org_kde_kwin_fake_input_destroy(g_input);
    wl_display_disconnect(display);
    return sent ? 0 : 1;
}
