// wayland-test-inhibitor: a program that keeps the session awake, for the idle watcher's tests: a small surface on
// the layer shell's top layer, drawn once, with an idle inhibitor (idle-inhibit-unstable-v1) on it, for SECONDS.
//
//   wayland-test-inhibitor SECONDS
//
// Says "ready" on stderr once the surface is shown and the inhibitor made. Exit status 0 when the compositor took
// every request.
#include "idle-inhibit-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSide = 64;

wl_compositor* gCompositor = nullptr;
wl_shm* gShm = nullptr;
zwlr_layer_shell_v1* gLayers = nullptr;
zwp_idle_inhibit_manager_v1* gInhibits = nullptr;
bool gConfigured = false;

template <typename T>
T* Bind(wl_registry* registry, uint32_t name, const wl_interface* interface, uint32_t version)
{
    return static_cast<T*>(wl_registry_bind(registry, name, interface, version));
}

void Announced(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        gCompositor = Bind<wl_compositor>(registry, name, &wl_compositor_interface, 4);
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        gShm = Bind<wl_shm>(registry, name, &wl_shm_interface, 1);
    else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
        gLayers = Bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, 1);
    else if (std::strcmp(interface, zwp_idle_inhibit_manager_v1_interface.name) == 0)
        gInhibits = Bind<zwp_idle_inhibit_manager_v1>(registry, name, &zwp_idle_inhibit_manager_v1_interface, 1);
}

const wl_registry_listener kRegistry = {Announced, [](void*, wl_registry*, uint32_t) {}};

const zwlr_layer_surface_v1_listener kLayerSurface = {
    [](void*, zwlr_layer_surface_v1* surface, uint32_t serial, uint32_t, uint32_t) {
        zwlr_layer_surface_v1_ack_configure(surface, serial);
        gConfigured = true;
    },
    [](void*, zwlr_layer_surface_v1*) {},
};

// A white square in shared memory.
wl_buffer* Square()
{
    const int stride = kSide * 4, size = stride * kSide;
    const int descriptor = memfd_create("wayland-test-inhibitor", MFD_CLOEXEC);
    if (descriptor < 0 || ftruncate(descriptor, size) != 0)
        return nullptr;
    void* pixels = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (pixels == MAP_FAILED)
        return nullptr;
    std::memset(pixels, 0xff, size);
    munmap(pixels, size);
    wl_shm_pool* pool = wl_shm_create_pool(gShm, descriptor, size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, kSide, kSide, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(descriptor);
    return buffer;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: wayland-test-inhibitor SECONDS\n", stderr);
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return 1;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistry, nullptr);
    wl_display_roundtrip(display);
    if (gCompositor == nullptr || gShm == nullptr || gLayers == nullptr || gInhibits == nullptr) {
        std::fputs("wayland-test-inhibitor: the compositor lacks the layer shell or idle inhibitors\n", stderr);
        return 1;
    }
    wl_surface* surface = wl_compositor_create_surface(gCompositor);
    zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(
        gLayers, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "wayland-test-inhibitor");
    zwlr_layer_surface_v1_set_size(layer, kSide, kSide);
    zwlr_layer_surface_v1_add_listener(layer, &kLayerSurface, nullptr);
    wl_surface_commit(surface);
    while (!gConfigured && wl_display_dispatch(display) >= 0) {
    }
    wl_buffer* buffer = Square();
    if (buffer == nullptr)
        return 1;
    wl_surface_attach(surface, buffer, 0, 0);
    wl_surface_damage(surface, 0, 0, kSide, kSide);
    zwp_idle_inhibitor_v1* inhibitor = zwp_idle_inhibit_manager_v1_create_inhibitor(gInhibits, surface);
    wl_surface_commit(surface);
    if (wl_display_roundtrip(display) < 0)
        return 1;
    std::fputs("ready\n", stderr);
    sleep(static_cast<unsigned>(std::atoi(argv[1])));
    zwp_idle_inhibitor_v1_destroy(inhibitor);
    const int status = wl_display_roundtrip(display) < 0 ? 1 : 0;
    wl_display_disconnect(display);
    return status;
}
