// Where inkspin-idle hears that the user went idle and came back: the compositor's idle notifications
// (WaylandIdle.h) or GNOME's idle monitor on the session bus (MutterIdle.h). Each is told the timeout and reports
// each change once: idle after that much time without input, active again at the next input. Idle inhibitors that
// clients set through the Wayland idle-inhibit protocol are the compositor's to honour: these sources report no
// idle while one holds.
#pragma once

#include <functional>
#include <string>

class IdleSource {
public:
    virtual ~IdleSource() = default;

    // What it is, for the log and --check: "ext-idle-notify-v1".
    virtual std::string name() const = 0;
    // Starts counting idle time anew with this timeout (whole milliseconds, at least 1000). A change of the timeout
    // while the user is idle counts from now.
    virtual bool arm(int milliseconds) = 0;

    // Called with true when the user has been idle for the timeout, with false when the user is back.
    std::function<void(bool idle)> changed;
};
