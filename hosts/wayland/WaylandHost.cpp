#include "hosts/wayland/WaylandHost.h"

#include "hosts/common/DriverRoom.h"
#include "hosts/common/HostLoop.h"
#include "hosts/common/OnePerSession.h"
#include "hosts/common/SignalPipe.h"
#include "hosts/wayland/SaverSurface.h"
#include "hosts/wayland/WaylandEglContext.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Outcome = HostOutcome;

// How far the pointer may drift, in surface coordinates, before it counts as the user's input: a nudged desk or a
// sensor's jitter should not end the saver.
constexpr double kPointerSlack = 8.0;
// Evdev codes, for a keyboard without a keymap.
constexpr uint32_t kKeyEscape = 1, kKeyQ = 16;

struct Output {
    uint32_t name = 0;
    wl_output* output = nullptr;
    int scale = 1;
    long width = 0, height = 0; // its current mode, in pixels
    bool done = false;          // told its whole state once
    std::unique_ptr<SaverSurface> surface;
};

struct Host {
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

Host* Of(void* data) { return static_cast<Host*>(data); }

Output* FindOutput(Host& h, wl_output* output)
{
    for (auto& o : h.outputs)
        if (o->output == output)
            return o.get();
    return nullptr;
}

// Calls `f` with every surface (the own window, or one an output), without gathering them: this runs every frame.
template <typename F>
void ForEachSurface(Host& h, F f)
{
    if (h.window)
        f(*h.window);
    for (auto& o : h.outputs)
        if (o->surface)
            f(*o->surface);
}

// Every output that has told its state has a surface, in the modes that cover outputs.
void CoverOutputs(Host& h)
{
    if (!h.drawing || h.role == SurfaceRole::OwnWindow)
        return;
    for (auto& o : h.outputs)
        if (o->done && !o->surface)
            o->surface = std::make_unique<SaverSurface>(h.setup, h.role, o->output);
}

void ForgetOutput(Host& h, std::vector<std::unique_ptr<Output>>::iterator o)
{
    (*o)->surface.reset();
    if (wl_output_get_version((*o)->output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
        wl_output_release((*o)->output);
    else
        wl_output_destroy((*o)->output);
    h.outputs.erase(o);
}

const wl_output_listener kOutputListener = {
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
    [](void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t) {
        if (Output* o = FindOutput(*Of(data), output); o != nullptr && (flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            o->width = width;
            o->height = height;
        }
    },
    [](void* data, wl_output* output) {
        Host& h = *Of(data);
        if (Output* o = FindOutput(h, output))
            o->done = true;
        ForEachSurface(h, [](SaverSurface& s) { s.rescale(); });
        CoverOutputs(h);
    },
    [](void* data, wl_output* output, int32_t scale) {
        if (Output* o = FindOutput(*Of(data), output))
            o->scale = scale; // applied at the done that follows
    },
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

void EndByInput(Host& h)
{
    if (h.endOnInput)
        h.inputEnded = true;
}

const wl_pointer_listener kPointerListener = {
    [](void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        Host& h = *Of(data);
        if (!h.endOnInput)
            return;
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); // no cursor over the saver
        h.anchored = true;
        h.anchorX = wl_fixed_to_double(x);
        h.anchorY = wl_fixed_to_double(y);
    },
    [](void* data, wl_pointer*, uint32_t, wl_surface*) { Of(data)->anchored = false; },
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        Host& h = *Of(data);
        if (h.anchored
            && std::hypot(wl_fixed_to_double(x) - h.anchorX, wl_fixed_to_double(y) - h.anchorY) > kPointerSlack)
            EndByInput(h);
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED)
            EndByInput(*Of(data));
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) { EndByInput(*Of(data)); },
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
};

void TakeKeymap(Host& h, uint32_t format, int fd, uint32_t size)
{
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            xkb_keymap* keymap = xkb_keymap_new_from_buffer(h.xkb, static_cast<const char*>(text),
                                                            strnlen(static_cast<const char*>(text), size),
                                                            XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
            if (keymap != nullptr) {
                xkb_state_unref(h.keys);
                xkb_keymap_unref(h.keymap);
                h.keymap = keymap;
                h.keys = xkb_state_new(keymap);
            }
        }
    }
    close(fd);
}

// q or Esc, as the keyboard's layout places them (evdev positions without a keymap).
bool EndsOwnWindow(Host& h, uint32_t key)
{
    if (h.keys == nullptr)
        return key == kKeyQ || key == kKeyEscape;
    const xkb_keysym_t symbol = xkb_state_key_get_one_sym(h.keys, key + 8); // evdev code to XKB keycode
    return symbol == XKB_KEY_q || symbol == XKB_KEY_Q || symbol == XKB_KEY_Escape;
}

const wl_keyboard_listener kKeyboardListener = {
    [](void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
        TakeKeymap(*Of(data), format, fd, size);
    },
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}, // keys already down when it came are not input
    [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
        Host& h = *Of(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED)
            return; // the release of a key pressed before the saver started is not input
        if (h.endOnInput || (h.window && EndsOwnWindow(h, key)))
            h.inputEnded = true;
    },
    [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
        if (Host& h = *Of(data); h.keys != nullptr)
            xkb_state_update_mask(h.keys, depressed, latched, locked, 0, 0, group);
    },
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_seat_listener kSeatListener = {
    [](void* data, wl_seat* seat, uint32_t capabilities) {
        Host& h = *Of(data);
        const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0 && h.endOnInput;
        const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
        if (pointer && h.pointer == nullptr) {
            h.pointer = wl_seat_get_pointer(seat);
            wl_pointer_add_listener(h.pointer, &kPointerListener, &h);
        } else if (!pointer && h.pointer != nullptr) {
            wl_pointer_destroy(h.pointer);
            h.pointer = nullptr;
            h.anchored = false;
        }
        if (keyboard && h.keyboard == nullptr) {
            h.keyboard = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(h.keyboard, &kKeyboardListener, &h);
        } else if (!keyboard && h.keyboard != nullptr) {
            wl_keyboard_destroy(h.keyboard);
            h.keyboard = nullptr;
        }
    },
    [](void*, wl_seat*, const char*) {},
};

const xdg_wm_base_listener kWindowsListener = {
    [](void*, xdg_wm_base* windows, uint32_t serial) { xdg_wm_base_pong(windows, serial); },
};

void DropSeat(Host& h)
{
    if (h.pointer != nullptr)
        wl_pointer_destroy(h.pointer);
    if (h.keyboard != nullptr)
        wl_keyboard_destroy(h.keyboard);
    if (h.seat != nullptr)
        wl_seat_destroy(h.seat);
    h.pointer = nullptr;
    h.keyboard = nullptr;
    h.seat = nullptr;
    h.anchored = false;
}

void Announced(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    Host& h = *Of(data);
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
        h.seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        h.seatName = name;
        wl_seat_add_listener(h.seat, &kSeatListener, &h);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto o = std::make_unique<Output>();
        o->name = name;
        o->output = static_cast<wl_output*>(bind(&wl_output_interface, 3));
        wl_output_add_listener(o->output, &kOutputListener, &h);
        h.outputs.push_back(std::move(o));
    }
}

void Removed(void* data, wl_registry*, uint32_t name)
{
    Host& h = *Of(data);
    if (h.seat != nullptr && name == h.seatName)
        DropSeat(h);
    const auto o = std::find_if(h.outputs.begin(), h.outputs.end(), [name](auto& o) { return o->name == name; });
    if (o != h.outputs.end())
        ForgetOutput(h, o);
}

const wl_registry_listener kRegistryListener = {Announced, Removed};

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

// Surfaces the compositor closed are dropped; the first one that cannot be drawn ends the saver.
Outcome Review(Host& h, std::string* error)
{
    if (h.inputEnded)
        return Outcome::Done;
    for (auto& o : h.outputs)
        if (o->surface && o->surface->closed())
            o->surface.reset(); // its output is going: wl_output's removal follows
    Outcome outcome = Outcome::Running;
    ForEachSurface(h, [&](SaverSurface& s) {
        if (outcome == Outcome::Failed)
            return;
        if (!s.failure().empty()) {
            *error = s.failure();
            outcome = Outcome::Failed;
        } else if (s.closeAsked()) {
            outcome = Outcome::Done; // the own window's close, or a compositor closing a fullscreen saver
        }
    });
    return outcome;
}

Outcome Run(Host& h, std::string* error)
{
    const int connection = wl_display_get_fd(h.display);
    for (;;) {
        if (TakeHostSignals([&] { ForEachSurface(h, [](SaverSurface& s) { s.restart(); }); }) == Outcome::Done)
            return Outcome::Done;
        Outcome outcome = wl_display_dispatch_pending(h.display) < 0 ? Outcome::Failed : Review(h, error);
        if (outcome == Outcome::Failed && error->empty())
            *error = ConnectionLost(h.display);
        if (outcome = WithSignalGrace(outcome); outcome != Outcome::Running)
            return outcome;

        // Each surface whose frame is due and asked for draws it; the wait is until the next one is due, or, while
        // every surface waits for the compositor, until it says something.
        double wait = -1.0;
        bool shown = true;
        ForEachSurface(h, [&](SaverSurface& s) {
            if (s.waitingForCompositor())
                return;
            if (s.secondsUntilNextFrame() <= 0.0)
                shown = s.drawFrame() && shown;
            if (!s.waitingForCompositor())
                wait = wait < 0.0 ? s.secondsUntilNextFrame() : std::min(wait, s.secondsUntilNextFrame());
        });
        if (!shown) {
            *error = "a frame could not be shown on the Wayland surface";
            return Outcome::Failed;
        }

        if (wl_display_prepare_read(h.display) != 0)
            continue; // events arrived meanwhile: dispatch them first
        // A connection that fails here (flushing or reading) marks the display, and the dispatch at the top of
        // the loop ends the saver with the reason.
        const bool full = wl_display_flush(h.display) < 0 && errno == EAGAIN; // wait until the compositor reads
        pollfd fds[2] = {{connection, static_cast<short>(POLLIN | (full ? POLLOUT : 0)), 0},
                         {SignalPipeDescriptor(), POLLIN, 0}};
        poll(fds, 2, wait < 0.0 ? -1 : static_cast<int>(std::ceil(wait * 1000.0)));
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0)
            wl_display_read_events(h.display);
        else
            wl_display_cancel_read(h.display);
    }
}

// What the compositor must offer for the mode asked; false with the reason.
bool ChooseRole(Host& h, std::string* error)
{
    if (h.compositor == nullptr) {
        *error = "the Wayland compositor offers no wl_compositor";
        return false;
    }
    if (h.request->target == DisplayTarget::Background) {
        h.role = SurfaceRole::Background;
        if (h.layers == nullptr) {
            *error = "--background needs a compositor with the layer shell (sway, Hyprland, river, labwc, wayfire, "
                     "KDE Plasma); this one has none";
            return false;
        }
        return true;
    }
    if (h.request->target == DisplayTarget::Root && h.layers != nullptr) {
        h.role = SurfaceRole::Overlay;
        return true;
    }
    if (h.windows == nullptr) {
        *error = "the Wayland compositor offers neither the layer shell nor xdg-shell windows";
        return false;
    }
    h.role = h.request->target == DisplayTarget::Root ? SurfaceRole::Fullscreen : SurfaceRole::OwnWindow;
    return true;
}

void Disconnect(Host& h)
{
    h.window.reset();
    while (!h.outputs.empty())
        ForgetOutput(h, h.outputs.begin());
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

} // namespace

int RunOnWayland(const DisplayRequest& request, std::string* error)
{
    if (!SignalPipeInstall()) {
        *error = "cannot set up signal handling";
        return 1;
    }
    // One screen saver per session: a second --root (another idle tool, a second watcher, the user by hand) would
    // stack its surfaces on the first's, and one key would end only one of them. A locker's --ignore-input copy
    // draws under its own prompt and is not one of these.
    int holder = 0;
    if (request.target == DisplayTarget::Root && !request.ignoreInput && !ClaimOnePerSession("inkspin-root", &holder)) {
        std::fprintf(stderr, "inkspin: a screen saver already covers this session (pid %d); this one ends\n", holder);
        return 0;
    }
    Host h;
    h.request = &request;
    // libwayland says a second line of its own when it has no runtime folder to find a display's socket in.
    const char *runtime = std::getenv("XDG_RUNTIME_DIR"), *name = std::getenv("WAYLAND_DISPLAY");
    const bool placed = (runtime != nullptr && runtime[0] == '/') || (name != nullptr && name[0] == '/')
        || (std::getenv("WAYLAND_SOCKET") != nullptr && *std::getenv("WAYLAND_SOCKET") != '\0');
    h.display = placed ? wl_display_connect(nullptr) : nullptr;
    if (h.display == nullptr) {
        *error = ConnectFailure(placed ? "" : "XDG_RUNTIME_DIR is not set");
        return 1;
    }
    h.endOnInput = request.target == DisplayTarget::Root && !request.ignoreInput;
    h.role = request.target == DisplayTarget::OwnWindow ? SurfaceRole::OwnWindow : SurfaceRole::Overlay; // the seat needs it
    h.xkb = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    h.registry = wl_display_get_registry(h.display);
    wl_registry_add_listener(h.registry, &kRegistryListener, &h);
    // Two round trips: the globals, then what the outputs and the seat say of themselves.
    int status = 1;
    if (wl_display_roundtrip(h.display) < 0 || wl_display_roundtrip(h.display) < 0) {
        *error = ConnectionLost(h.display);
    } else if (ChooseRole(h, error)) {
        long pixels = 0, widest = 0, tallest = 0;
        for (auto& o : h.outputs) {
            pixels += o->width * o->height;
            widest = std::max(widest, o->width);
            tallest = std::max(tallest, o->height);
        }
        if (h.role == SurfaceRole::OwnWindow && widest > 0) {
            // About two thirds of the screen, as on X11 (in surface coordinates: a scaled output's pixels shrink).
            const int scale = std::max(1, h.outputs.front()->scale);
            h.setup.windowWidth = static_cast<int>(widest * 2 / 3 / scale);
            h.setup.windowHeight = static_cast<int>(tallest * 2 / 3 / scale);
        }
        if (h.role == SurfaceRole::OwnWindow)
            pixels = long(h.setup.windowWidth) * h.setup.windowHeight * 4; // room for a window made larger
        std::string what; // "a 1920x1080 output", "outputs of 1280x720 and 1920x1080", "a 1280x720 window"
        for (std::size_t i = 0; i < h.outputs.size(); ++i)
            what += (i == 0 ? "" : i + 1 == h.outputs.size() ? " and " : ", ") + std::to_string(h.outputs[i]->width)
                + "x" + std::to_string(h.outputs[i]->height);
        if (h.role == SurfaceRole::OwnWindow)
            what = "a " + std::to_string(h.setup.windowWidth) + "x" + std::to_string(h.setup.windowHeight) + " window";
        else
            what = h.outputs.empty() ? std::string("a screen saver with no output yet")
                : h.outputs.size() == 1 ? "a " + what + " output"
                : h.outputs.size() <= 3 ? "outputs of " + what
                                        : std::to_string(h.outputs.size()) + " outputs of "
                                              + std::to_string(pixels / 1000000) + " million pixels in all";
        h.setup.egl = RoomForOpenGL(pixels, what, error) ? WaylandEglDisplay(h.display, error) : EGL_NO_DISPLAY;
        if (h.setup.egl != EGL_NO_DISPLAY) {
            h.setup.compositor = h.compositor;
            h.setup.windows = h.windows;
            h.setup.layers = h.layers;
            h.setup.minimumInterval = static_cast<double>(request.delayMicroseconds) / 1e6;
            h.setup.showFrameRate = request.showFrameRate;
            h.setup.takeKeyboard = h.endOnInput;
            h.setup.scaleOf = [&h](wl_output* output) {
                const Output* o = FindOutput(h, output);
                return o != nullptr ? o->scale : 1;
            };
            h.drawing = true;
            if (h.role == SurfaceRole::OwnWindow)
                h.window = std::make_unique<SaverSurface>(h.setup, SurfaceRole::OwnWindow, nullptr);
            CoverOutputs(h);
            SignalPipeRunning();
            status = Run(h, error) == Outcome::Done ? 0 : 1;
        }
    }
    Disconnect(h);
    if (status == 0)
        SignalPipeEndAsAsked(); // ended by a signal: by that signal, as on X11; input, q, Esc or a close: status 0
    return status;
}
