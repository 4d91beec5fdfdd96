// The compositor's globals as they come and go: the outputs with their names and scales, the seat
// and its capabilities, and every listener table of the window's objects.
#include "window/wayland_window_impl.h"

#include "base/messages.h"

namespace wayland_backend {

const wl_registry_listener WaylandWindow::registryListener = {
    .global = onGlobal,
    .global_remove = onGlobalRemove,
};
const wl_output_listener WaylandWindow::outputListener = {
    .geometry = onOutputGeometry,
    .mode = onOutputMode,
    .done = onOutputDone,
    .scale = onOutputScale,
    .name = onOutputName,
    .description = onOutputDescription,
};
const zxdg_output_v1_listener WaylandWindow::xdgOutputListener = {
    .logical_position = onXdgOutputPosition,
    .logical_size = onXdgOutputSize,
    .done = onXdgOutputDone,
    .name = onXdgOutputName,
    .description = onXdgOutputDescription,
};
const xdg_wm_base_listener WaylandWindow::wmBaseListener = {.ping = onPing};
const wl_seat_listener WaylandWindow::seatListener = {
    .capabilities = onSeatCapabilities,
    .name = onSeatName,
};
const wl_surface_listener WaylandWindow::surfaceListener = {
    .enter = onSurfaceEnter,
    .leave = onSurfaceLeave,
};
const zwlr_layer_surface_v1_listener WaylandWindow::layerListener = {
    .configure = onLayerConfigure,
    .closed = onLayerClosed,
};
const xdg_surface_listener WaylandWindow::xdgSurfaceListener = {.configure = onXdgSurfaceConfigure};
const xdg_toplevel_listener WaylandWindow::toplevelListener = {
    .configure = onToplevelConfigure,
    .close = onToplevelClose,
    .configure_bounds = onToplevelBounds,
    .wm_capabilities = onToplevelCapabilities,
};
const wp_fractional_scale_v1_listener WaylandWindow::fractionalListener = {.preferred_scale = onPreferredScale};
const wl_callback_listener WaylandWindow::frameListener = {.done = onFrameDone};
const wl_keyboard_listener WaylandWindow::keyboardListener = {
    .keymap = onKeymap,
    .enter = onKeyboardEnter,
    .leave = onKeyboardLeave,
    .key = onKey,
    .modifiers = onModifiers,
    .repeat_info = onRepeatInfo,
};
const wl_pointer_listener WaylandWindow::pointerListener = {
    .enter = onPointerEnter,
    .leave = onPointerLeave,
    .motion = onPointerMotion,
    .button = onPointerButton,
    .axis = onPointerAxis,
    .frame = onPointerFrame,
    .axis_source = onPointerAxisSource,
    .axis_stop = onPointerAxisStop,
    .axis_discrete = onPointerAxisDiscrete,
    .axis_value120 = onPointerAxis120,
};

// ---------------------------------------------------------------------------------------------
// Registry, outputs, seat

void WaylandWindow::onGlobal(void* data, wl_registry* registry, uint32_t globalName, const char* interface,
                             uint32_t version)
{
    auto* self = static_cast<WaylandWindow*>(data);
    auto bind = [&](const wl_interface* wanted, uint32_t highest) {
        return wl_registry_bind(registry, globalName, wanted, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->compositor) {
        self->compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->seat) {
        self->seat = static_cast<wl_seat*>(bind(&wl_seat_interface, kSeatVersion));
        self->seatGlobal = globalName;
        wl_seat_add_listener(self->seat, &seatListener, self);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        self->bindOutput(globalName, version);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && !self->layerShell) {
        self->layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, kLayerShellVersion));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !self->wmBase) {
        self->wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, kWmBaseVersion));
        xdg_wm_base_add_listener(self->wmBase, &wmBaseListener, self);
    } else if (std::strcmp(interface, wp_viewporter_interface.name) == 0 && !self->viewporter) {
        self->viewporter = static_cast<wp_viewporter*>(bind(&wp_viewporter_interface, 1));
    } else if (std::strcmp(interface, wp_fractional_scale_manager_v1_interface.name) == 0 &&
               !self->fractionalManager) {
        self->fractionalManager =
            static_cast<wp_fractional_scale_manager_v1*>(bind(&wp_fractional_scale_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0 && !self->xdgOutputManager) {
        self->xdgOutputManager =
            static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, kXdgOutputManagerVersion));
        for (Output* output : self->outputs) self->watchXdgOutput(*output);
    }
}

void WaylandWindow::bindOutput(uint32_t globalName, uint32_t version)
{
    auto* output = new Output;
    output->window = this;
    output->globalName = globalName;
    output->output = static_cast<wl_output*>(
        wl_registry_bind(registry, globalName, &wl_output_interface, std::min(version, kOutputVersion)));
    wl_output_add_listener(output->output, &outputListener, output);
    outputs.push_back(output);
    watchXdgOutput(*output);
}

// Where wl_output is older than version 4 its name comes from xdg-output.
void WaylandWindow::watchXdgOutput(Output& output)
{
    if (!xdgOutputManager || output.xdgOutput || wl_output_get_version(output.output) >= WL_OUTPUT_NAME_SINCE_VERSION)
        return;
    if (zxdg_output_manager_v1_get_version(xdgOutputManager) < ZXDG_OUTPUT_V1_NAME_SINCE_VERSION) return;
    output.xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager, output.output);
    zxdg_output_v1_add_listener(output.xdgOutput, &xdgOutputListener, &output);
}

void releaseOutput(Output* output)
{
    if (output->xdgOutput) zxdg_output_v1_destroy(output->xdgOutput);
    if (wl_output_get_version(output->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) wl_output_release(output->output);
    else wl_output_destroy(output->output);
    delete output;
}

void WaylandWindow::onGlobalRemove(void* data, wl_registry*, uint32_t globalName)
{
    static_cast<WaylandWindow*>(data)->removeGlobal(globalName);
}

void WaylandWindow::removeGlobal(uint32_t globalName)
{
    if (seat && globalName == seatGlobal) {
        updateCapabilities(0);
        wl_seat_destroy(seat);
        seat = nullptr;
        return;
    }
    auto it = std::find_if(outputs.begin(), outputs.end(), [&](Output* o) { return o->globalName == globalName; });
    if (it == outputs.end()) return;
    Output* output = *it;
    outputs.erase(it);
    const bool ours = surface && (output == chosen || output == entered);
    if (output == chosen) chosen = nullptr;
    if (output == entered) entered = nullptr;
    if (ours) {
        logLine("wayland: output %s went away", output->name.empty() ? "(unnamed)" : output->name.c_str());
        pushClose(nullptr);
    }
    releaseOutput(output);
}

static Output* outputOf(void* data) { return static_cast<Output*>(data); }

void WaylandWindow::onOutputMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t refresh)
{
    if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
    outputOf(data)->modeWidth = width;
    outputOf(data)->modeHeight = height;
    outputOf(data)->refreshMilliHz = std::max(0, refresh);
}

void WaylandWindow::onOutputScale(void* data, wl_output*, int32_t factor)
{
    outputOf(data)->scale = std::max(1, factor);
}

void WaylandWindow::onOutputName(void* data, wl_output*, const char* name) { outputOf(data)->name = name; }

void WaylandWindow::onXdgOutputName(void* data, zxdg_output_v1*, const char* name)
{
    if (outputOf(data)->name.empty()) outputOf(data)->name = name;
}

// A new scale of the output the surface is on takes effect with the output's done.
void WaylandWindow::onOutputDone(void* data, wl_output*)
{
    WaylandWindow* self = outputOf(data)->window;
    if (self->surface && outputOf(data) == self->currentOutput()) self->refreshScale();
}

void WaylandWindow::onPing(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }

void WaylandWindow::onSeatCapabilities(void* data, wl_seat*, uint32_t capabilities)
{
    static_cast<WaylandWindow*>(data)->updateCapabilities(capabilities);
}

void WaylandWindow::updateCapabilities(uint32_t capabilities)
{
    const bool hasKeyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    const bool hasPointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    if (hasKeyboard && !keyboard) {
        keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(keyboard, &keyboardListener, this);
    } else if (!hasKeyboard && keyboard) {
        if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) wl_keyboard_release(keyboard);
        else wl_keyboard_destroy(keyboard);
        keyboard = nullptr;
    }
    if (hasPointer && !pointer) {
        pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(pointer, &pointerListener, this);
    } else if (!hasPointer && pointer) {
        if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) wl_pointer_release(pointer);
        else wl_pointer_destroy(pointer);
        pointer = nullptr;
    }
}


} // namespace wayland_backend
