// What the user chose for the idle watcher in the settings window: after how many minutes of idle time the saver
// starts, and after how many more the session locks. Saved per user in the preferences domain org.inkspin.idle
// (${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.idle.conf, INI as QSettings writes it, keys under
// [General]), beside the saver's own settings, which it leaves alone. The settings window writes it through the
// preferences store; inkspin-idle reads it here, without Qt, at start and whenever the file changes.
//
// Whether the watcher runs at all is not a setting but the user's autostart entry (IdleAutostart.h).
#pragma once

#include <string>

namespace IdleKeys {
inline constexpr const char* kDomain = "org.inkspin.idle";
inline constexpr const char* kStartMinutes = "InkspinIdleStartMinutes"; // whole minutes, kMinutes range
inline constexpr const char* kLockMinutes = "InkspinIdleLockMinutes";   // whole minutes after the start; 0: never
} // namespace IdleKeys

// The range of both settings, in minutes: XScreenSaver's dialog offers up to twelve hours as well.
inline constexpr int kIdleMinutesHigh = 720;
inline constexpr int kDefaultStartMinutes = 5;
inline constexpr int kDefaultLockMinutes = 0;

struct IdleSettings {
    int startMinutes = kDefaultStartMinutes; // 1 to kIdleMinutesHigh
    int lockMinutes = kDefaultLockMinutes;   // 0 (never) to kIdleMinutesHigh
};

// The saved settings; a value that is missing, not a whole number, or out of its range takes its default.
IdleSettings ReadIdleSettings();

// The user's configuration folder, ${XDG_CONFIG_HOME:-$HOME/.config}; "" when neither is an absolute path.
std::string UserConfigHome();

// The folder that holds the file (watched for changes), and the file; "" where there is no configuration folder.
std::string IdleSettingsFolder();
std::string IdleSettingsPath();
