// What every host does with a saver view: create it at a frame, size it, start it, call animateOneFrame at the
// interval the view asks for, and stop it. The driver keeps the frame schedule on a monotonic clock; the host
// decides how to wait (a headless host does not wait at all, the X11 host sleeps on its connection).
#pragma once

#include "platform/ScreenSaverView.h"

#include <chrono>

class HostDriver {
public:
    explicit HostDriver(ScreenSaverView& view) : view_(view) {}

    // initWithFrame, setFrameSize and startAnimation. False (and nothing started) when the view cannot be made.
    bool start(Rect frame, bool isPreview);
    void resize(Size size);
    // Seconds until the next frame is due, 0 when it is due now.
    double secondsUntilNextFrame() const;
    // animateOneFrame, and the next frame scheduled one interval later (or now, when the host fell behind, so a slow
    // frame is followed at once by the next, never by a burst of catch-up frames). True when the view drew.
    bool frame();
    // stopAnimation, when started.
    void stop();
    // The least time between two frames, in seconds (XScreenSaver's --delay): frames come at the longer of this and
    // the view's own interval. The view's animation still advances by its own clock, so fewer frames show the same
    // motion. 0 (the default) leaves the view's interval.
    void setMinimumInterval(double seconds) { minimumInterval_ = seconds; }
    // Restarts the schedule and the animation, for a host that was paused: the view's clock starts afresh instead
    // of racing to catch up with the pause.
    void restart();

private:
    using Clock = std::chrono::steady_clock;
    ScreenSaverView& view_;
    bool started_ = false;
    double minimumInterval_ = 0.0;
    Clock::time_point nextFrame_{};
};
