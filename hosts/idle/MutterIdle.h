// Idle time from GNOME: Mutter's idle monitor on the session bus (org.gnome.Mutter.IdleMonitor, object
// /org/gnome/Mutter/IdleMonitor/Core). An idle watch fires each time the idle time crosses the timeout; a
// user-active watch fires once, at the next input, and is asked for again after each idle. Mutter knows nothing of
// gnome-session's inhibitors: SessionInhibitors.h asks gnome-session. Needs libsystemd's sd-bus only.
#pragma once

#include "hosts/idle/IdleSource.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <memory>
#include <string>


class MutterIdle : public IdleSource {
public:
    // Null when nobody owns org.gnome.Mutter.IdleMonitor on `bus` (a connection the caller keeps open for as long
    // as this lives and dispatches).
    static std::unique_ptr<MutterIdle> Connect(sd_bus* bus);
    ~MutterIdle() override;

    std::string name() const override { return "org.gnome.Mutter.IdleMonitor"; }
    bool arm(int milliseconds) override;

private:
    explicit MutterIdle(sd_bus* bus) : bus_(bus) {}
    static int Fired(sd_bus_message* message, void* data, sd_bus_error*);
    uint32_t addWatch(const char* method, int milliseconds);
    void removeWatch(uint32_t* id);

    sd_bus* bus_;
    sd_bus_slot* match_ = nullptr;
    uint32_t idleWatch_ = 0, activeWatch_ = 0; // Mutter's ids; 0: none
};

// True when some connection on `bus` owns `name`.
bool BusNameHasOwner(sd_bus* bus, const char* name);
