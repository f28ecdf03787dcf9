#include "hosts/idle/WaylandIdle.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"

#include <wayland-client.h>

#include <cerrno>
#include <cstring>

struct WaylandIdle::Globals {
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* notifier = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
    ext_idle_notification_v1* notification = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout = nullptr;
    WaylandIdle* owner = nullptr;

    void release()
    {
        if (notification != nullptr)
            ext_idle_notification_v1_destroy(notification);
        if (kdeTimeout != nullptr)
            org_kde_kwin_idle_timeout_release(kdeTimeout);
        notification = nullptr;
        kdeTimeout = nullptr;
    }
};

namespace {

using Globals = WaylandIdle::Globals;

void Report(void* data, bool idle)
{
    const auto* globals = static_cast<Globals*>(data);
    if (globals->owner->changed)
        globals->owner->changed(idle);
}

const ext_idle_notification_v1_listener kNotificationListener = {
    [](void* data, ext_idle_notification_v1*) { Report(data, true); },
    [](void* data, ext_idle_notification_v1*) { Report(data, false); },
};

const org_kde_kwin_idle_timeout_listener kKdeTimeoutListener = {
    [](void* data, org_kde_kwin_idle_timeout*) { Report(data, true); },
    [](void* data, org_kde_kwin_idle_timeout*) { Report(data, false); },
};

void Announce(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == nullptr)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
        globals->notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
        globals->kdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
}

const wl_registry_listener kRegistryListener = {Announce, [](void*, wl_registry*, uint32_t) {}};

} // namespace

std::unique_ptr<WaylandIdle> WaylandIdle::Connect(std::string* why)
{
    why->clear();
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        why->assign("cannot connect to the Wayland compositor: ").append(std::strerror(errno));
        return nullptr;
    }
    std::unique_ptr<WaylandIdle> idle(new WaylandIdle);
    idle->display_ = display;
    idle->globals_ = std::make_unique<Globals>();
    Globals& globals = *idle->globals_;
    globals.owner = idle.get();
    globals.registry = wl_display_get_registry(display);
    wl_registry_add_listener(globals.registry, &kRegistryListener, &globals);
    if (wl_display_roundtrip(display) < 0) {
        why->assign("the Wayland compositor closed the connection");
        return nullptr;
    }
    // Either protocol needs a seat: idle time is a seat's.
    if (globals.seat == nullptr || (globals.notifier == nullptr && globals.kdeIdle == nullptr))
        return nullptr;
    return idle;
}

WaylandIdle::~WaylandIdle()
{
    if (globals_) {
        globals_->release();
        if (globals_->notifier != nullptr)
            ext_idle_notifier_v1_destroy(globals_->notifier);
        if (globals_->kdeIdle != nullptr)
            org_kde_kwin_idle_destroy(globals_->kdeIdle);
        if (globals_->seat != nullptr)
            wl_seat_destroy(globals_->seat);
        if (globals_->registry != nullptr)
            wl_registry_destroy(globals_->registry);
    }
    if (display_ != nullptr)
        wl_display_disconnect(display_);
}

std::string WaylandIdle::name() const
{
    return globals_->notifier != nullptr ? "ext-idle-notify-v1" : "org_kde_kwin_idle";
}

bool WaylandIdle::arm(int milliseconds)
{
    Globals& globals = *globals_;
    globals.release();
    const auto timeout = static_cast<uint32_t>(milliseconds);
    if (globals.notifier != nullptr) {
        globals.notification = ext_idle_notifier_v1_get_idle_notification(globals.notifier, timeout, globals.seat);
        ext_idle_notification_v1_add_listener(globals.notification, &kNotificationListener, &globals);
    } else {
        globals.kdeTimeout = org_kde_kwin_idle_get_idle_timeout(globals.kdeIdle, globals.seat, timeout);
        org_kde_kwin_idle_timeout_add_listener(globals.kdeTimeout, &kKdeTimeoutListener, &globals);
    }
    return flush();
}

int WaylandIdle::descriptor() const { return wl_display_get_fd(display_); }

bool WaylandIdle::flush() { return wl_display_flush(display_) >= 0 || errno == EAGAIN; }

bool WaylandIdle::dispatch()
{
    if (wl_display_prepare_read(display_) == 0) {
        if (wl_display_read_events(display_) < 0)
            return false;
    }
    return wl_display_dispatch_pending(display_) >= 0;
}
