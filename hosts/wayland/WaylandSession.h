// The state of the saver's Wayland connection, shared by its parts: the connection and registry
// (WaylandConnection), the outputs (WaylandOutputs), the seat and input (WaylandSeat) and the loop (WaylandHost). One
// per process, on the main thread; every listener gets it as its data.
#pragma once

#include "hosts/common/DisplayRequest.h"
#include "hosts/wayland/SaverSurface.h"

#include <cstdint>
#include <memory>
#include <vector>

struct wl_display;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct xkb_context;
struct xkb_keymap;
struct xkb_state;

// One output, as the compositor told it, and the surface that covers it in the modes that cover outputs.
struct Output {
    uint32_t name = 0;          // its global's name in the registry
    wl_output* output = nullptr;
    int scale = 1;
    long width = 0, height = 0; // its current mode, in pixels
    bool done = false;          // told its whole state once
    std::unique_ptr<SaverSurface> surface;
};

struct WaylandSession {
    const DisplayRequest* request = nullptr;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_compositor* compositor = nullptr;
    xdg_wm_base* windows = nullptr;
    zwlr_layer_shell_v1* layers = nullptr;
    wl_seat* seat = nullptr;
    uint32_t seatName = 0;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    xkb_context* xkb = nullptr;
    xkb_keymap* keymap = nullptr;
    xkb_state* keys = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;
    std::unique_ptr<SaverSurface> window; // the own window, without --root and --background

    SurfaceSetup setup;
    SurfaceRole role = SurfaceRole::OwnWindow; // of the surfaces on outputs
    bool drawing = false;     // set up: outputs get a surface once they have told their state
    bool endOnInput = false;  // -root without --ignore-input
    bool inputEnded = false;  // the user's input, q or Esc
    bool anchored = false;    // the pointer's position when it entered a surface, to measure its drift from
    double anchorX = 0.0, anchorY = 0.0;
};

// A listener's data, as every listener of the session is given it.
inline WaylandSession* SessionOf(void* data) { return static_cast<WaylandSession*>(data); }

// Calls `f` with every surface (the own window, or one an output), without gathering them: this runs every frame.
template <typename F>
void ForEachSurface(WaylandSession& h, F f)
{
    if (h.window)
        f(*h.window);
    for (auto& o : h.outputs)
        if (o->surface)
            f(*o->surface);
}
