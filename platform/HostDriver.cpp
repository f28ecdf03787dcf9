#include "platform/HostDriver.h"

#include <algorithm>

bool HostDriver::start(Rect frame, bool isPreview)
{
    if (!view_.initWithFrame(frame, isPreview))
        return false;
    view_.setFrameSize(frame.size());
    view_.startAnimation();
    started_ = true;
    nextFrame_ = Clock::now();
    return true;
}

void HostDriver::resize(Size size) { view_.setFrameSize(size); }

double HostDriver::secondsUntilNextFrame() const
{
    const double seconds = std::chrono::duration<double>(nextFrame_ - Clock::now()).count();
    return seconds > 0.0 ? seconds : 0.0;
}

bool HostDriver::frame()
{
    view_.animateOneFrame();
    const double seconds = std::max(view_.animationTimeInterval(), minimumInterval_);
    const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    nextFrame_ += interval;
    const auto now = Clock::now();
    if (nextFrame_ < now)
        nextFrame_ = now; // fell behind: never run frames back to back to catch up
    return view_.frameWasDrawn();
}

void HostDriver::stop()
{
    if (started_)
        view_.stopAnimation();
    started_ = false;
}

void HostDriver::restart()
{
    if (!started_)
        return;
    view_.stopAnimation();
    view_.startAnimation();
    nextFrame_ = Clock::now();
}
