#include "hosts/wayland/WaylandSeat.h"

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstring>

namespace {

// How far the pointer may drift, in surface coordinates, before it counts as the user's input: a nudged desk or a
// sensor's jitter should not end the saver.
constexpr double kPointerSlack = 8.0;
// Evdev codes, for a keyboard without a keymap.
constexpr uint32_t kKeyEscape = 1, kKeyQ = 16;

void EndByInput(WaylandSession& h)
{
    if (h.endOnInput)
        h.inputEnded = true;
}

const wl_pointer_listener kPointerListener = {
    [](void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
        WaylandSession& h = *SessionOf(data);
        if (!h.endOnInput)
            return;
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0); // no cursor over the saver
        h.anchored = true;
        h.anchorX = wl_fixed_to_double(x);
        h.anchorY = wl_fixed_to_double(y);
    },
    [](void* data, wl_pointer*, uint32_t, wl_surface*) { SessionOf(data)->anchored = false; },
    [](void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
        WaylandSession& h = *SessionOf(data);
        if (h.anchored
            && std::hypot(wl_fixed_to_double(x) - h.anchorX, wl_fixed_to_double(y) - h.anchorY) > kPointerSlack)
            EndByInput(h);
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED)
            EndByInput(*SessionOf(data));
    },
    [](void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) { EndByInput(*SessionOf(data)); },
    [](void*, wl_pointer*) {},
    [](void*, wl_pointer*, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, uint32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
    [](void*, wl_pointer*, uint32_t, int32_t) {},
};

void TakeKeymap(WaylandSession& h, uint32_t format, int fd, uint32_t size)
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
bool EndsOwnWindow(WaylandSession& h, uint32_t key)
{
    if (h.keys == nullptr)
        return key == kKeyQ || key == kKeyEscape;
    const xkb_keysym_t symbol = xkb_state_key_get_one_sym(h.keys, key + 8); // evdev code to XKB keycode
    return symbol == XKB_KEY_q || symbol == XKB_KEY_Q || symbol == XKB_KEY_Escape;
}

const wl_keyboard_listener kKeyboardListener = {
    [](void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
        TakeKeymap(*SessionOf(data), format, fd, size);
    },
    [](void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}, // keys already down when it came are not input
    [](void*, wl_keyboard*, uint32_t, wl_surface*) {},
    [](void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
        WaylandSession& h = *SessionOf(data);
        if (state != WL_KEYBOARD_KEY_STATE_PRESSED)
            return; // the release of a key pressed before the saver started is not input
        if (h.endOnInput || (h.window && EndsOwnWindow(h, key)))
            h.inputEnded = true;
    },
    [](void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
        if (WaylandSession& h = *SessionOf(data); h.keys != nullptr)
            xkb_state_update_mask(h.keys, depressed, latched, locked, 0, 0, group);
    },
    [](void*, wl_keyboard*, int32_t, int32_t) {},
};

const wl_seat_listener kSeatListener = {
    [](void* data, wl_seat* seat, uint32_t capabilities) {
        WaylandSession& h = *SessionOf(data);
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


} // namespace

void WatchSeat(WaylandSession& h, uint32_t name, wl_seat* seat)
{
    h.seat = seat;
    h.seatName = name;
    wl_seat_add_listener(h.seat, &kSeatListener, &h);
}

void DropSeat(WaylandSession& h)
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
