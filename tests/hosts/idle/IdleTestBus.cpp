// The other side of inkspin-idle's D-Bus, for its tests, on the test's private session bus:
//   inhibit SECONDS [uninhibit]  asks org.freedesktop.ScreenSaver to inhibit, holds SECONDS, then leaves the bus, or
//                                says UnInhibit and stays 30 s more
//   gnome-session SECONDS        stands in for gnome-session: its idle flag set for SECONDS, then cleared and told
//   powerdevil SECONDS           the same for KDE's power management and its screen flag
//   logind FILE                  stands in for logind (the watcher finds it through DBUS_SYSTEM_BUS_ADDRESS): each
//                                Lock of the session "auto" adds a line to FILE
//   mutter-key                   a key pressed and released through Mutter's remote desktop interface
// Says "ready" on stderr once it serves or holds.
#include <systemd/sd-bus.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

sd_bus* gBus = nullptr;
bool gInhibited = true;
const char* gLockFile = nullptr;

void Serve(double seconds)
{
    timespec start {}, now {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        while (sd_bus_process(gBus, nullptr) > 0) {
        }
        clock_gettime(CLOCK_MONOTONIC, &now);
        const double left = seconds - (now.tv_sec - start.tv_sec) - (now.tv_nsec - start.tv_nsec) / 1e9;
        if (left <= 0)
            return;
        sd_bus_wait(gBus, static_cast<uint64_t>(left * 1e6));
    }
}

int Fail(const char* what, int error)
{
    std::fprintf(stderr, "idle-test-bus: %s: %s\n", what, std::strerror(-error));
    return 1;
}

// gnome-session's IsInhibited and PowerDevil's HasInhibition: `data` is the flag that is set.
int IsInhibited(sd_bus_message* message, void* data, sd_bus_error*)
{
    uint32_t flags = 0;
    sd_bus_message_read(message, "u", &flags);
    return sd_bus_reply_method_return(message, "b", gInhibited && (flags & *static_cast<uint32_t*>(data)) != 0);
}

int Lock(sd_bus_message* message, void*, sd_bus_error*)
{
    if (FILE* file = std::fopen(gLockFile, "a")) {
        std::fputs("lock\n", file);
        std::fclose(file);
    }
    return sd_bus_reply_method_return(message, "");
}

const sd_bus_vtable kSession[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("IsInhibited", "u", "b", IsInhibited, 0),
    SD_BUS_SIGNAL("InhibitorRemoved", "o", 0),
    SD_BUS_VTABLE_END,
};
const sd_bus_vtable kPowerDevil[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("HasInhibition", "u", "b", IsInhibited, 0),
    SD_BUS_SIGNAL("InhibitionsChanged", "a(ss)as", 0),
    SD_BUS_VTABLE_END,
};
const sd_bus_vtable kLogin[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Lock", "", "", Lock, 0),
    SD_BUS_VTABLE_END,
};

int Ready()
{
    std::fprintf(stderr, "ready\n");
    return 0;
}

} // namespace

// The connection, closed however main returns: the sanitized build checks this program for leaks too.
struct Closer {
    ~Closer() { sd_bus_flush_close_unref(gBus); }
};

int main(int argc, char** argv)
{
    const Closer closer;
    const std::string command = argc > 1 ? argv[1] : "";
    int result = command == "logind" ? sd_bus_open_system(&gBus) : sd_bus_open_user(&gBus);
    if (result < 0)
        return Fail("no bus", result);
    if (command == "inhibit" && argc > 2) {
        sd_bus_message* reply = nullptr;
        uint32_t cookie = 0;
        // The watcher may still be starting: asked again for up to 5 s.
        for (int tries = 0; tries < 50; ++tries, poll(nullptr, 0, 100)) {
            result = sd_bus_call_method(gBus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                                        "org.freedesktop.ScreenSaver", "Inhibit", nullptr, &reply, "ss",
                                        "idle-test-bus", "a video plays");
            if (result >= 0)
                break;
        }
        if (result < 0 || sd_bus_message_read(reply, "u", &cookie) < 0)
            return Fail("Inhibit", result);
        sd_bus_message_unref(reply);
        Ready();
        Serve(std::atof(argv[2]));
        if (argc > 3) {
            sd_bus_call_method(gBus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                               "org.freedesktop.ScreenSaver", "UnInhibit", nullptr, nullptr, "u", cookie);
            Serve(30); // on the bus still: only the UnInhibit lets the saver come
        }
        return 0;
    }
    if ((command == "gnome-session" || command == "powerdevil") && argc > 2) {
        const bool gnome = command == "gnome-session";
        const char* name = gnome ? "org.gnome.SessionManager" : "org.kde.Solid.PowerManagement.PolicyAgent";
        const char* path = gnome ? "/org/gnome/SessionManager" : "/org/kde/Solid/PowerManagement/PolicyAgent";
        static uint32_t flag = gnome ? 8 : 4; // "idle", "change screen settings"
        if ((result = sd_bus_add_object_vtable(gBus, nullptr, path, name, gnome ? kSession : kPowerDevil, &flag)) < 0
            || (result = sd_bus_request_name(gBus, name, 0)) < 0)
            return Fail(name, result);
        Ready();
        Serve(std::atof(argv[2]));
        gInhibited = false;
        if (gnome)
            sd_bus_emit_signal(gBus, path, name, "InhibitorRemoved", "o", "/org/gnome/SessionManager/Inhibitor1");
        else
            sd_bus_emit_signal(gBus, path, name, "InhibitionsChanged", "a(ss)as", 0, 1, "video");
        Serve(60);
        return 0;
    }
    if (command == "logind" && argc > 2) {
        gLockFile = argv[2];
        if ((result = sd_bus_add_object_vtable(gBus, nullptr, "/org/freedesktop/login1/session/auto",
                                               "org.freedesktop.login1.Session", kLogin, nullptr)) < 0
            || (result = sd_bus_request_name(gBus, "org.freedesktop.login1", 0)) < 0)
            return Fail("logind", result);
        Ready();
        Serve(60);
        return 0;
    }
    if (command == "mutter-key") {
        sd_bus_message* reply = nullptr;
        const char* path = nullptr;
        result = sd_bus_call_method(gBus, "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                                    "org.gnome.Mutter.RemoteDesktop", "CreateSession", nullptr, &reply, "");
        if (result < 0 || sd_bus_message_read(reply, "o", &path) < 0)
            return Fail("CreateSession", result);
        const std::string session = path;
        sd_bus_message_unref(reply);
        const char* interface = "org.gnome.Mutter.RemoteDesktop.Session";
        if ((result = sd_bus_call_method(gBus, "org.gnome.Mutter.RemoteDesktop", session.c_str(), interface, "Start",
                                         nullptr, nullptr, "")) < 0)
            return Fail("Start", result);
        // The seat gains its keyboard with the first key, which goes nowhere: clients need a moment to take the
        // keyboard and its focus. The second is the one a client sees.
        for (int pressed : {1, 0, 1, 0}) {
            sd_bus_call_method(gBus, "org.gnome.Mutter.RemoteDesktop", session.c_str(), interface,
                               "NotifyKeyboardKeycode", nullptr, nullptr, "ub", 30u, pressed); // the A key
            poll(nullptr, 0, 500);
        }
        sd_bus_call_method(gBus, "org.gnome.Mutter.RemoteDesktop", session.c_str(), interface, "Stop", nullptr,
                           nullptr, "");
        return Ready();
    }
    std::fprintf(stderr, "idle-test-bus: unknown command\n");
    return 2;
}
