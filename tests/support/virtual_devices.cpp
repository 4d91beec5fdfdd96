// A virtual pointer and keyboard on a wlroots compositor's seat, through libwayland-client and
// xkbcommon.
#include "support/virtual_devices.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <cstring>

// wlroots' virtual pointer protocol (zwlr_virtual_pointer_manager_v1, version 1), described here
// from its published requests rather than generated: only the requests used are sent, but every
// request up to them is listed so that their numbers match. With no input device at all, the seat
// has no pointer capability and clients never get a wl_pointer; a virtual pointer is a device.
static const wl_interface* kNoTypes[8] = {};
extern const wl_interface kVirtualPointerInterface;
static const wl_interface* kCreatePointerTypes[] = {&wl_seat_interface, &kVirtualPointerInterface};
static const wl_message kManagerRequests[] = {
    {"create_virtual_pointer", "?on", kCreatePointerTypes},
    {"destroy", "", kNoTypes},
};
static const wl_message kPointerRequests[] = {
    {"motion", "uff", kNoTypes},        {"motion_absolute", "uuuuu", kNoTypes}, {"button", "uuu", kNoTypes},
    {"axis", "uuf", kNoTypes},          {"frame", "", kNoTypes},                {"axis_source", "u", kNoTypes},
    {"axis_stop", "uu", kNoTypes},      {"axis_discrete", "uufi", kNoTypes},    {"destroy", "", kNoTypes},
};
static const wl_interface kManagerInterface = {"zwlr_virtual_pointer_manager_v1", 1, 2, kManagerRequests, 0, nullptr};
const wl_interface kVirtualPointerInterface = {"zwlr_virtual_pointer_v1", 1, 9, kPointerRequests, 0, nullptr};
static constexpr uint32_t kManagerCreatePointer = 0, kManagerDestroy = 1, kPointerDestroy = 8;

// The virtual keyboard protocol (zwp_virtual_keyboard_manager_v1, version 1), likewise. A keyboard
// held for the whole session gives the seat its keyboard from the start, as a desk has one: a
// client binds its wl_keyboard once, and keys typed later (wtype brings a keyboard of its own and
// takes it away when done) reach it. Without it, wtype's key can arrive before a client has
// bound the keyboard that wtype's own device made appear.
extern const wl_interface kVirtualKeyboardInterface;
static const wl_interface* kCreateKeyboardTypes[] = {&wl_seat_interface, &kVirtualKeyboardInterface};
static const wl_message kKeyboardManagerRequests[] = {{"create_virtual_keyboard", "on", kCreateKeyboardTypes}};
static const wl_message kKeyboardRequests[] = {
    {"keymap", "uhu", kNoTypes}, {"key", "uuu", kNoTypes}, {"modifiers", "uuuuu", kNoTypes}, {"destroy", "", kNoTypes}};
static const wl_interface kKeyboardManagerInterface = {"zwp_virtual_keyboard_manager_v1", 1, 1,
                                                       kKeyboardManagerRequests, 0, nullptr};
const wl_interface kVirtualKeyboardInterface = {"zwp_virtual_keyboard_v1", 1, 4, kKeyboardRequests, 0, nullptr};
static constexpr uint32_t kCreateKeyboard = 0, kKeyboardKeymap = 0, kKeyboardDestroy = 3;

struct VirtualDevices::Proxies {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    wl_proxy* manager = nullptr;
    wl_proxy* device = nullptr;
    wl_proxy* keyboardManager = nullptr;
    wl_proxy* keyboard = nullptr;

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
    {
        auto* self = static_cast<Proxies*>(data);
        if (std::strcmp(interface, "wl_seat") == 0 && !self->seat)
            self->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        if (std::strcmp(interface, kManagerInterface.name) == 0 && !self->manager)
            self->manager = static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kManagerInterface, 1));
        if (std::strcmp(interface, kKeyboardManagerInterface.name) == 0 && !self->keyboardManager)
            self->keyboardManager =
                static_cast<wl_proxy*>(wl_registry_bind(registry, name, &kKeyboardManagerInterface, 1));
    }
    static void globalRemove(void*, wl_registry*, uint32_t) {}

    ~Proxies()
    {
        if (device) wl_proxy_marshal_flags(device, kPointerDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
        if (keyboard) wl_proxy_marshal_flags(keyboard, kKeyboardDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
        if (keyboardManager) wl_proxy_destroy(keyboardManager);
        if (manager) wl_proxy_marshal_flags(manager, kManagerDestroy, nullptr, 1, WL_MARSHAL_FLAG_DESTROY);
        if (seat) wl_seat_destroy(seat);
        if (registry) wl_registry_destroy(registry);
        if (display) wl_display_disconnect(display);
    }
};

VirtualDevices::VirtualDevices() = default;
VirtualDevices::~VirtualDevices() = default;

bool VirtualDevices::connect(const std::string& socketPath, std::string& why)
{
    proxies_ = std::make_unique<Proxies>();
    Proxies* const pointer = proxies_.get();
    pointer->display = wl_display_connect(socketPath.c_str());
    if (!pointer->display) {
        why = "cannot connect to " + socketPath;
        return false;
    }
    pointer->registry = wl_display_get_registry(pointer->display);
    static const wl_registry_listener listener = {Proxies::global, Proxies::globalRemove};
    wl_registry_add_listener(pointer->registry, &listener, pointer);
    wl_display_roundtrip(pointer->display);
    if (!pointer->seat || !pointer->manager || !pointer->keyboardManager) {
        why = "sway offers no seat, no virtual pointer or no virtual keyboard manager";
        return false;
    }
    // The keyboard needs a keymap before sway takes it: the default one (us), as wtype's.
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    xkb_keymap* keymap = context ? xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS) : nullptr;
    char* text = keymap ? xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    const int keymapFd = text ? memfd_create("quelm-keymap", MFD_CLOEXEC) : -1;
    const size_t keymapSize = text ? std::strlen(text) + 1 : 0;
    const bool written = keymapFd >= 0 && write(keymapFd, text, keymapSize) == static_cast<ssize_t>(keymapSize);
    std::free(text);
    if (keymap) xkb_keymap_unref(keymap);
    if (context) xkb_context_unref(context);
    if (!written) {
        if (keymapFd >= 0) close(keymapFd);
        why = "no keymap for the virtual keyboard";
        return false;
    }
    pointer->keyboard = wl_proxy_marshal_flags(pointer->keyboardManager, kCreateKeyboard, &kVirtualKeyboardInterface, 1,
                                               0, pointer->seat, nullptr);
    wl_proxy_marshal_flags(pointer->keyboard, kKeyboardKeymap, nullptr, 1, 0, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1,
                           keymapFd, static_cast<uint32_t>(keymapSize));
    close(keymapFd);
    pointer->device = wl_proxy_marshal_flags(pointer->manager, kManagerCreatePointer, &kVirtualPointerInterface, 1, 0,
                                             pointer->seat, nullptr);
    if (wl_display_roundtrip(pointer->display) < 0 || !pointer->device) {
        why = "sway refused the virtual pointer";
        return false;
    }
    return true;
}
