#include "hosts/idle/Inhibitors.h"

#include "hosts/idle/MutterIdle.h"

#include <systemd/sd-bus.h>

#include <cstring>

// How a desktop that owns the screen saver's name tells the inhibitions it holds: one method that takes a flag and
// answers whether anything inhibits it, asked again whenever one of its signals says they changed.
struct DesktopReport {
    const char* who; // for the log
    const char *service, *path, *interface, *method;
    uint32_t flag;
    const char* signals[2];
};

namespace {

constexpr const char* kScreenSaver = "org.freedesktop.ScreenSaver";

const DesktopReport kReports[] = {
    // gnome-session's "do not consider the session idle"; GNOME Shell hands the screen saver's inhibitions to it.
    {"gnome-session", "org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
     "IsInhibited", 8, {"InhibitorAdded", "InhibitorRemoved"}},
    // KDE's power management's "change screen settings"; Plasma hands the screen saver's inhibitions to it.
    {"KDE's power management", "org.kde.Solid.PowerManagement.PolicyAgent",
     "/org/kde/Solid/PowerManagement/PolicyAgent", "org.kde.Solid.PowerManagement.PolicyAgent", "HasInhibition", 4,
     {"InhibitionsChanged", nullptr}},
};

} // namespace

Inhibitors::Inhibitors(sd_bus* bus) : bus_(bus)
{
    if (bus_ == nullptr)
        return;
    // Served only where nobody else does: taking the name from a desktop that has it would blind the desktop.
    if (!BusNameHasOwner(bus_, kScreenSaver) && sd_bus_request_name(bus_, kScreenSaver, 0) >= 0) {
        static const sd_bus_vtable table[] = {
            SD_BUS_VTABLE_START(0),
            SD_BUS_METHOD("Inhibit", "ss", "u", Inhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("UnInhibit", "u", "", UnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_METHOD("GetActive", "", "b", GetActive, SD_BUS_VTABLE_UNPRIVILEGED),
            SD_BUS_VTABLE_END,
        };
        sd_bus_add_object_vtable(bus_, &served_, "/org/freedesktop/ScreenSaver", kScreenSaver, table, this);
        sd_bus_add_object_vtable(bus_, &shortPath_, "/ScreenSaver", kScreenSaver, table, this);
        sd_bus_match_signal(bus_, &owners_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                            "NameOwnerChanged", OwnerChanged, this);
    }
    for (const DesktopReport& report : kReports) {
        if (!BusNameHasOwner(bus_, report.service))
            continue;
        Desktop& desktop = desktops_.emplace_back(Desktop{this, &report, {}, false});
        for (std::size_t i = 0; i < 2 && report.signals[i] != nullptr; ++i)
            sd_bus_match_signal(bus_, &desktop.matches[i], report.service, report.path, report.interface,
                                report.signals[i], DesktopChanged, &desktop);
        ask(desktop);
    }
}

Inhibitors::~Inhibitors()
{
    for (sd_bus_slot* slot : {served_, shortPath_, owners_})
        sd_bus_slot_unref(slot);
    for (Desktop& desktop : desktops_)
        for (sd_bus_slot* slot : desktop.matches)
            sd_bus_slot_unref(slot);
    if (served_ != nullptr)
        sd_bus_release_name(bus_, kScreenSaver);
}

std::string Inhibitors::holder() const
{
    if (!inhibitions_.empty()) {
        const Inhibition& first = inhibitions_.begin()->second;
        return first.application + ": " + first.reason;
    }
    for (const Desktop& desktop : desktops_)
        if (desktop.inhibits)
            return desktop.report->who + std::string("'s idle inhibitor");
    return "";
}

void Inhibitors::tell()
{
    if (changed)
        changed();
}

void Inhibitors::ask(Desktop& desktop)
{
    const DesktopReport& report = *desktop.report;
    sd_bus_message* reply = nullptr;
    int inhibited = 0;
    if (sd_bus_call_method(bus_, report.service, report.path, report.interface, report.method, nullptr, &reply, "u",
                           report.flag)
        >= 0)
        sd_bus_message_read(reply, "b", &inhibited);
    sd_bus_message_unref(reply);
    desktop.inhibits = inhibited != 0;
}

int Inhibitors::Inhibit(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* self = static_cast<Inhibitors*>(data);
    const char* application = nullptr;
    const char* reason = nullptr;
    const int read = sd_bus_message_read(message, "ss", &application, &reason);
    if (read < 0)
        return read;
    // Cookies are never 0 and never reused while this runs: a late UnInhibit ends nothing of someone else's.
    const uint32_t cookie = ++self->lastCookie_ == 0 ? ++self->lastCookie_ : self->lastCookie_;
    const char* sender = sd_bus_message_get_sender(message);
    self->inhibitions_[cookie] = {sender != nullptr ? sender : "", application, reason};
    self->tell();
    return sd_bus_reply_method_return(message, "u", cookie);
}

int Inhibitors::UnInhibit(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* self = static_cast<Inhibitors*>(data);
    uint32_t cookie = 0;
    const int read = sd_bus_message_read(message, "u", &cookie);
    if (read < 0)
        return read;
    // Only the connection that asked may end an inhibition.
    const auto found = self->inhibitions_.find(cookie);
    const char* sender = sd_bus_message_get_sender(message);
    if (found != self->inhibitions_.end() && sender != nullptr && found->second.sender == sender) {
        self->inhibitions_.erase(found);
        self->tell();
    }
    return sd_bus_reply_method_return(message, "");
}

int Inhibitors::GetActive(sd_bus_message* message, void* data, sd_bus_error*)
{
    return sd_bus_reply_method_return(message, "b", static_cast<Inhibitors*>(data)->active_ ? 1 : 0);
}

int Inhibitors::OwnerChanged(sd_bus_message* message, void* data, sd_bus_error*)
{
    auto* self = static_cast<Inhibitors*>(data);
    const char *name = nullptr, *before = nullptr, *after = nullptr;
    if (sd_bus_message_read(message, "sss", &name, &before, &after) < 0 || after == nullptr || after[0] != '\0')
        return 0;
    // A connection left the bus: its inhibitions go with it (a browser that crashed never says UnInhibit).
    const std::size_t count = std::erase_if(self->inhibitions_, [&](const auto& entry) {
        return entry.second.sender == name;
    });
    if (count > 0)
        self->tell();
    return 0;
}

int Inhibitors::DesktopChanged(sd_bus_message*, void* data, sd_bus_error*)
{
    auto* desktop = static_cast<Desktop*>(data);
    desktop->owner->ask(*desktop);
    desktop->owner->tell();
    return 0;
}
