// Keys (through xkbcommon), the pointer and the window's own events, queued for the engine as
// the seam's events.
#include "window/wayland_window_impl.h"

#include "base/messages.h"

namespace wayland_backend {

WindowKey keyFor(xkb_keysym_t sym)
{
    switch (sym) {
    case XKB_KEY_Escape: return WindowKey::Escape;
    case XKB_KEY_space: return WindowKey::Space;
    case XKB_KEY_F1: return WindowKey::F1;
    case XKB_KEY_Left: return WindowKey::Left;
    case XKB_KEY_Up: return WindowKey::Up;
    case XKB_KEY_Right: return WindowKey::Right;
    case XKB_KEY_Down: return WindowKey::Down;
    case XKB_KEY_t:
    case XKB_KEY_T: return WindowKey::T;
    case XKB_KEY_f:
    case XKB_KEY_F: return WindowKey::F;
    case XKB_KEY_s:
    case XKB_KEY_S: return WindowKey::S;
    default: return WindowKey::Other;
    }
}

int buttonFor(uint32_t code)
{
    switch (code) {
    case BTN_LEFT: return 1;
    case BTN_MIDDLE: return 2;
    case BTN_RIGHT: return 3;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Input

void WaylandWindow::push(WindowEvent::Type type, int x, int y)
{
    WindowEvent event;
    event.type = type;
    event.x = x;
    event.y = y;
    events.push_back(event);
}

// Close is said once, however many ways the surface goes.
void WaylandWindow::pushClose(const char* why)
{
    if (closeQueued) return;
    closeQueued = true;
    if (why) logLine("%s", why);
    push(WindowEvent::Type::Close);
}

void WaylandWindow::onKeymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || !self->xkbContext) {
        close(fd);
        return;
    }
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (text == MAP_FAILED) {
        logLine("wayland: cannot read the keymap (%s); every key counts as one without a name", std::strerror(errno));
        return;
    }
    xkb_keymap* keymap = xkb_keymap_new_from_buffer(self->xkbContext, static_cast<const char*>(text),
                                                    strnlen(static_cast<const char*>(text), size),
                                                    XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    munmap(text, size);
    if (!keymap) {
        logLine("wayland: the compositor's keymap does not compile; every key counts as one without a name");
        return;
    }
    xkb_state* state = xkb_state_new(keymap);
    if (!state) {
        xkb_keymap_unref(keymap);
        return;
    }
    xkb_state_unref(self->keyState);
    xkb_keymap_unref(self->keymap);
    self->keymap = keymap;
    self->keyState = state;
}

void WaylandWindow::onKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state)
{
    // Wayland sends no repeats (a client makes its own), so a press is a press.
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    auto* self = static_cast<WaylandWindow*>(data);
    WindowEvent event;
    event.type = WindowEvent::Type::Key;
    if (self->keyState) {
        // evdev codes are 8 below XKB's.
        constexpr uint32_t kXkbKeycodeOffset = 8;
        event.key = keyFor(xkb_state_key_get_one_sym(self->keyState, key + kXkbKeycodeOffset));
        event.alt = xkb_state_mod_name_is_active(self->keyState, XKB_MOD_NAME_ALT, XKB_STATE_MODS_EFFECTIVE) > 0;
    }
    self->events.push_back(event);
}

void WaylandWindow::onModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched,
                                uint32_t locked, uint32_t group)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (self->keyState) xkb_state_update_mask(self->keyState, depressed, latched, locked, 0, 0, group);
}

void WaylandWindow::onPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface,
                                   wl_fixed_t x, wl_fixed_t y)
{
    auto* self = static_cast<WaylandWindow*>(data);
    if (surface != self->surface) return;
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    const double factor = self->pixelsPerPoint();
    self->push(WindowEvent::Type::PointerEnter, static_cast<int>(wl_fixed_to_double(x) * factor),
               static_cast<int>(wl_fixed_to_double(y) * factor));
}

void WaylandWindow::onPointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    auto* self = static_cast<WaylandWindow*>(data);
    const double factor = self->pixelsPerPoint();
    self->push(WindowEvent::Type::PointerMotion, static_cast<int>(wl_fixed_to_double(x) * factor),
               static_cast<int>(wl_fixed_to_double(y) * factor));
}

void WaylandWindow::onPointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state)
{
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) return;
    WindowEvent event;
    event.type = WindowEvent::Type::Button;
    event.button = buttonFor(button);
    static_cast<WaylandWindow*>(data)->events.push_back(event);
}

void WaylandWindow::onPointerAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t)
{
    static_cast<WaylandWindow*>(data)->push(WindowEvent::Type::Wheel);
}


} // namespace wayland_backend
