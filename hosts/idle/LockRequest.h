// The lock, handed to the desktop: inkspin-idle never draws a lock prompt. It asks logind to lock the session, as
// `loginctl lock-session` does (org.freedesktop.login1, the session "auto": the caller's, or the user's graphical
// one for a systemd user service); GNOME Shell and KDE's locker answer that, and sway users tie their locker to it
// (swayidle's `lock` event). A user's own command runs instead where one is set.
#pragma once

#include <string>

// Asks once; false with *why set when the request could not be made (no system bus, logind refused, the command
// could not run). The command runs in the background, with /bin/sh -c, and is not waited for.
bool AskToLock(const std::string& command, std::string* why);
