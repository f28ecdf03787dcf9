// What keeps the saver away besides the compositor's own idle inhibitors: inhibitions asked for over D-Bus by
// browsers and media players, and gnome-session's.
//
// - org.freedesktop.ScreenSaver: where nobody owns the name on the session bus (sway and the other wlroots
//   desktops), this takes it and serves Inhibit(application, reason) -> cookie and UnInhibit(cookie) at
//   /org/freedesktop/ScreenSaver and /ScreenSaver, as the freedesktop interface has it. An inhibition lasts until its
//   UnInhibit or until the connection that asked for it leaves the bus. Where the desktop owns the name (GNOME, KDE)
//   it is the desktop's, and the desktop tells the rest.
// - What the desktop reports, where it owns the name: gnome-session's idle flag (IsInhibited(8), followed through
//   InhibitorAdded and InhibitorRemoved), KDE's power management's screen flag (PolicyAgent's HasInhibition(4),
//   followed through InhibitionsChanged).
// Needs libsystemd's sd-bus only; the caller keeps the bus open and dispatches it.
#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <deque>
#include <map>
#include <string>


struct DesktopReport;

class Inhibitors {
public:
    // Looks at what the session bus offers; with no bus, nothing inhibits.
    explicit Inhibitors(sd_bus* bus);
    ~Inhibitors();
    Inhibitors(const Inhibitors&) = delete;
    Inhibitors& operator=(const Inhibitors&) = delete;

    // Who holds the saver off now, as one line ("firefox: video playing"); empty when nobody does.
    std::string holder() const;
    // True when this process serves org.freedesktop.ScreenSaver.
    bool servesScreenSaver() const { return served_ != nullptr; }
    // Whether a saver is shown, for GetActive.
    void setActive(bool active) { active_ = active; }

    // Called when holder() may have changed.
    std::function<void()> changed;

private:
    struct Inhibition {
        std::string sender, application, reason;
    };
    static int Inhibit(sd_bus_message* message, void* data, sd_bus_error*);
    static int UnInhibit(sd_bus_message* message, void* data, sd_bus_error*);
    static int GetActive(sd_bus_message* message, void* data, sd_bus_error*);
    static int OwnerChanged(sd_bus_message* message, void* data, sd_bus_error*);
    struct Desktop {
        Inhibitors* owner;
        const DesktopReport* report;
        sd_bus_slot* matches[2];
        bool inhibits;
    };
    static int DesktopChanged(sd_bus_message* message, void* data, sd_bus_error*);
    void ask(Desktop& desktop);
    void tell();

    sd_bus* bus_;
    sd_bus_slot* served_ = nullptr;   // the object at /org/freedesktop/ScreenSaver, when the name is ours
    sd_bus_slot* shortPath_ = nullptr; // the same at /ScreenSaver
    sd_bus_slot* owners_ = nullptr;   // NameOwnerChanged, for callers that leave
    std::map<uint32_t, Inhibition> inhibitions_;
    uint32_t lastCookie_ = 0;
    std::deque<Desktop> desktops_; // the desktops that report their inhibitions (a deque: each stays where it is)
    bool active_ = false;
};
