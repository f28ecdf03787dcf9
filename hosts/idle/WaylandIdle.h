// Idle time from the Wayland compositor: ext-idle-notify-v1 (KWin 5.27 and later, sway 1.8 and later, Hyprland,
// river, labwc, niri, COSMIC...) or KDE's older org_kde_kwin_idle (sway 1.7, older Plasma), the first offered.
// Needs libwayland-client only.
#pragma once

#include "hosts/idle/IdleSource.h"

#include <memory>
#include <string>

struct wl_display;

class WaylandIdle : public IdleSource {
public:
    // Connects to $WAYLAND_DISPLAY. Null when there is no connection (*why says so) or when the compositor offers
    // neither protocol (*why empty: another source may serve).
    static std::unique_ptr<WaylandIdle> Connect(std::string* why);
    ~WaylandIdle() override;

    std::string name() const override;
    bool arm(int milliseconds) override;

    // The connection's descriptor, to poll for reading; Dispatch reads what came and runs `changed`. False when the
    // connection is lost (the session ended).
    int descriptor() const;
    bool dispatch();
    // Sends what is queued; call before polling.
    bool flush();

    struct Globals;

private:
    WaylandIdle() = default;
    wl_display* display_ = nullptr;
    std::unique_ptr<Globals> globals_;
};
