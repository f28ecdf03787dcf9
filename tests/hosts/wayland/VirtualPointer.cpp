// wayland-test-pointer: a mouse for the Wayland tests, on a compositor with the wlr virtual-pointer interface (sway)
// or KDE's fake input (KWin, started with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1: it lets trusted programs only).
//
//   wayland-test-pointer WAIT_MS move DX DY | press | scroll
//
// Plugs a pointer into the compositor's seat, waits WAIT_MS (for clients to take the seat's new pointer), then
// moves it by DX, DY twice (the first move may only bring it into a surface), clicks its left button or turns its
// wheel down and back, and unplugs it. Exit status 0 when the compositor took every request.
#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

zwlr_virtual_pointer_manager_v1* gManager = nullptr;
org_kde_kwin_fake_input* gFake = nullptr;
wl_seat* gSeat = nullptr;

void Announced(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        gManager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0)
        gFake = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && gSeat == nullptr)
        gSeat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

const wl_registry_listener kListener = {Announced, [](void*, wl_registry*, uint32_t) {}};

} // namespace

int main(int argc, char** argv)
{
    const bool move = argc == 5 && std::strcmp(argv[2], "move") == 0;
    const bool scroll = argc == 3 && std::strcmp(argv[2], "scroll") == 0;
    if (!move && !scroll && !(argc == 3 && std::strcmp(argv[2], "press") == 0)) {
        std::fputs("usage: wayland-test-pointer WAIT_MS move DX DY | press | scroll\n", stderr);
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    wl_registry* registry = display != nullptr ? wl_display_get_registry(display) : nullptr;
    if (registry != nullptr && wl_registry_add_listener(registry, &kListener, nullptr) == 0)
        wl_display_roundtrip(display);
    if (gManager == nullptr && gFake != nullptr) {
        org_kde_kwin_fake_input_authenticate(gFake, "wayland-test-pointer", "tests");
        usleep(static_cast<useconds_t>(std::atoi(argv[1])) * 1000);
        for (int i = 0; i < 2; ++i) {
            if (move)
                org_kde_kwin_fake_input_pointer_motion(gFake, wl_fixed_from_double(std::atof(argv[3])),
                                                       wl_fixed_from_double(std::atof(argv[4])));
            else if (scroll)
                org_kde_kwin_fake_input_axis(gFake, 0 /* vertical */, wl_fixed_from_int(i == 0 ? 10 : -10));
            else
                org_kde_kwin_fake_input_button(gFake, 0x110 /* BTN_LEFT */, i == 0 ? 1 : 0);
            wl_display_roundtrip(display);
            usleep(100000);
        }
        return wl_display_roundtrip(display) < 0 ? 1 : 0;
    }
    if (gManager == nullptr) {
        std::fputs("wayland-test-pointer: no compositor with virtual pointers\n", stderr);
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(gManager, gSeat);
    wl_display_roundtrip(display);
    usleep(static_cast<useconds_t>(std::atoi(argv[1])) * 1000);
    for (int i = 0; i < 2; ++i) {
        if (move)
            zwlr_virtual_pointer_v1_motion(pointer, 0, wl_fixed_from_double(std::atof(argv[3])),
                                           wl_fixed_from_double(std::atof(argv[4])));
        else if (scroll)
            zwlr_virtual_pointer_v1_axis(pointer, 0, WL_POINTER_AXIS_VERTICAL_SCROLL,
                                         wl_fixed_from_int(i == 0 ? 10 : -10));
        else
            zwlr_virtual_pointer_v1_button(pointer, 0, 0x110 /* BTN_LEFT */, i == 0 ? 1 : 0);
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
        usleep(100000);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    const int status = wl_display_roundtrip(display) < 0 ? 1 : 0;
    zwlr_virtual_pointer_manager_v1_destroy(gManager);
    if (gSeat != nullptr)
        wl_seat_destroy(gSeat);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return status;
}
