#include "hosts/wayland/WaylandConnection.h"

#include "hosts/wayland/WaylandOutputs.h"
#include "hosts/wayland/WaylandSeat.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const xdg_wm_base_listener kWindowsListener = {
    [](void*, xdg_wm_base* windows, uint32_t serial) { xdg_wm_base_pong(windows, serial); },
};

void Announced(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    WaylandSession& h = *SessionOf(data);
    auto bind = [&](const wl_interface* kind, uint32_t highest) {
        return wl_registry_bind(registry, name, kind, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && h.compositor == nullptr) {
        h.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && h.windows == nullptr) {
        h.windows = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(h.windows, &kWindowsListener, &h);
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0 && h.layers == nullptr) {
        h.layers = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 3));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && h.seat == nullptr
               && (h.endOnInput || h.role == SurfaceRole::OwnWindow)) {
        WatchSeat(h, name, static_cast<wl_seat*>(bind(&wl_seat_interface, 5)));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        WatchOutput(h, name, static_cast<wl_output*>(bind(&wl_output_interface, 3)));
    }
}

void Removed(void* data, wl_registry*, uint32_t name)
{
    WaylandSession& h = *SessionOf(data);
    if (h.seat != nullptr && name == h.seatName)
        DropSeat(h);
    ForgetOutput(h, name);
}

const wl_registry_listener kRegistryListener = {Announced, Removed};

// Why there is no connection: what was asked for (the socket handed over, or the display's name), what is known of
// why (`why`, may be empty), and the way out.
std::string ConnectFailure(const std::string& why)
{
    const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
    const char *socket = std::getenv("WAYLAND_SOCKET"), *name = std::getenv("WAYLAND_DISPLAY"),
               *x = std::getenv("DISPLAY");
    // Appended piece by piece: GCC 12 misreads a quote put before a temporary string as overlapping copies.
    std::string text = "cannot connect to the Wayland compositor ";
    text += set(socket) ? "through the socket WAYLAND_SOCKET names (\"" : "\"";
    text += set(socket) ? socket : set(name) ? name : "wayland-0";
    text += set(socket) ? "\")" : "\"";
    if (!why.empty())
        text += " (" + why + ")";
    if (set(x) && !set(socket))
        text += "; WAYLAND_DISPLAY= inkspin draws on the X display " + std::string(x) + " instead";
    else
        text += "; use --render DIR to render without one";
    return text;
}


} // namespace

bool Connect(WaylandSession& h, std::string* error)
{
    // libwayland says a second line of its own when it has no runtime folder to find a display's socket in.
    const char *runtime = std::getenv("XDG_RUNTIME_DIR"), *name = std::getenv("WAYLAND_DISPLAY");
    const bool placed = (runtime != nullptr && runtime[0] == '/') || (name != nullptr && name[0] == '/')
        || (std::getenv("WAYLAND_SOCKET") != nullptr && *std::getenv("WAYLAND_SOCKET") != '\0');
    h.display = placed ? wl_display_connect(nullptr) : nullptr;
    if (h.display == nullptr) {
        *error = ConnectFailure(placed ? "" : "XDG_RUNTIME_DIR is not set");
        return false;
    }
    h.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    h.registry = wl_display_get_registry(h.display);
    wl_registry_add_listener(h.registry, &kRegistryListener, &h);
    if (wl_display_roundtrip(h.display) < 0 || wl_display_roundtrip(h.display) < 0) {
        *error = ConnectionLost(h.display);
        return false;
    }
    return true;
}

std::string ConnectionLost(wl_display* display)
{
    const wl_interface* interface = nullptr;
    uint32_t id = 0;
    if (wl_display_get_error(display) == EPROTO) {
        const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
        return "the Wayland compositor ended the connection over a protocol error (" + std::to_string(code) + " on "
            + (interface != nullptr ? interface->name : "an unknown object") + ")";
    }
    return "lost the connection to the Wayland compositor";
}


void Disconnect(WaylandSession& h)
{
    h.window.reset();
    ForgetOutputs(h);
    WaylandEglRelease(); // after every surface: their contexts live on the EGL display
    DropSeat(h);
    xkb_state_unref(h.keys);
    xkb_keymap_unref(h.keymap);
    xkb_context_unref(h.xkb);
    if (h.layers != nullptr) {
        if (zwlr_layer_shell_v1_get_version(h.layers) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
            zwlr_layer_shell_v1_destroy(h.layers);
        else
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(h.layers));
    }
    if (h.windows != nullptr)
        xdg_wm_base_destroy(h.windows);
    if (h.compositor != nullptr)
        wl_compositor_destroy(h.compositor);
    if (h.registry != nullptr)
        wl_registry_destroy(h.registry);
    wl_display_disconnect(h.display);
}
