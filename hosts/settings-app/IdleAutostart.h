// Whether inkspin-idle runs in this user's sessions: an autostart entry of the user's own,
// ${XDG_CONFIG_HOME:-$HOME/.config}/autostart/inkspin-idle.desktop, as the XDG autostart convention has it (GNOME,
// KDE Plasma and most other desktops start what it names at login; systemd's xdg-autostart generator too). No Qt here:
// the caller starts the watcher for this session.
#pragma once

#include <string>

// The entry's path; "" when neither XDG_CONFIG_HOME nor HOME is an absolute path.
std::string IdleAutostartPath();

// True when the entry is there and not hidden (Hidden=true is how a user turns an entry off by hand).
bool IdleAutostartOn();

// Writes the entry, naming `program` (the inkspin-idle to run), or removes it and ends the watcher running in this
// session. False with *why set when the entry could not be written or removed.
bool SetIdleAutostart(bool on, const std::string& program, std::string* why);
