#include "hosts/idle/MutterIdle.h"

#include <systemd/sd-bus.h>

namespace {

constexpr const char* kService = "org.gnome.Mutter.IdleMonitor";
constexpr const char* kPath = "/org/gnome/Mutter/IdleMonitor/Core";
constexpr const char* kInterface = "org.gnome.Mutter.IdleMonitor";

} // namespace

bool BusNameHasOwner(sd_bus* bus, const char* name)
{
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", nullptr, &reply, "s", name) >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    return owned != 0;
}

std::unique_ptr<MutterIdle> MutterIdle::Connect(sd_bus* bus)
{
    if (bus == nullptr || !BusNameHasOwner(bus, kService))
        return nullptr;
    std::unique_ptr<MutterIdle> idle(new MutterIdle(bus));
    if (sd_bus_match_signal(bus, &idle->match_, kService, kPath, kInterface, "WatchFired", Fired, idle.get()) < 0)
        return nullptr;
    return idle;
}

MutterIdle::~MutterIdle()
{
    removeWatch(&idleWatch_);
    removeWatch(&activeWatch_);
    sd_bus_slot_unref(match_);
}

uint32_t MutterIdle::addWatch(const char* method, int milliseconds)
{
    sd_bus_message* reply = nullptr;
    uint32_t id = 0;
    const int called = milliseconds > 0
        ? sd_bus_call_method(bus_, kService, kPath, kInterface, method, nullptr, &reply, "t",
                             static_cast<uint64_t>(milliseconds))
        : sd_bus_call_method(bus_, kService, kPath, kInterface, method, nullptr, &reply, "");
    if (called >= 0)
        sd_bus_message_read(reply, "u", &id);
    sd_bus_message_unref(reply);
    return id;
}

void MutterIdle::removeWatch(uint32_t* id)
{
    if (*id != 0)
        sd_bus_call_method(bus_, kService, kPath, kInterface, "RemoveWatch", nullptr, nullptr, "u", *id);
    *id = 0;
}

bool MutterIdle::arm(int milliseconds)
{
    removeWatch(&idleWatch_);
    removeWatch(&activeWatch_);
    idleWatch_ = addWatch("AddIdleWatch", milliseconds);
    return idleWatch_ != 0;
}

int MutterIdle::Fired(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* idle = static_cast<MutterIdle*>(data);
    uint32_t id = 0;
    if (sd_bus_message_read(message, "u", &id) < 0 || id == 0)
        return 0;
    if (id == idle->idleWatch_) {
        // The next input ends this idle time: Mutter tells it once per watch, so one is asked for each time.
        idle->removeWatch(&idle->activeWatch_);
        idle->activeWatch_ = idle->addWatch("AddUserActiveWatch", 0);
        if (idle->changed)
            idle->changed(true);
    } else if (id == idle->activeWatch_) {
        idle->activeWatch_ = 0; // fired watches of this kind are gone on Mutter's side
        if (idle->changed)
            idle->changed(false);
    }
    return 0;
}
