#include "platform/WallClock.h"

#include <sys/time.h>

#include <cmath>

namespace {

std::function<WallTime()>& Source()
{
    static std::function<WallTime()> source;
    return source;
}

} // namespace

WallTime WallClockNow()
{
    if (Source())
        return Source()();
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return {static_cast<std::int64_t>(tv.tv_sec), static_cast<std::int64_t>(tv.tv_usec)};
}

void WallClockSetSource(std::function<WallTime()> source) { Source() = std::move(source); }

WallTime SimulatedClock::now() const
{
    // The small allowance keeps an exact product (67 steps of 1/67 s) from rounding up past a whole microsecond.
    const auto micro = static_cast<std::int64_t>(std::ceil(static_cast<double>(steps_) * step_ * 1e6 - 1e-6));
    return {start_ + micro / 1000000, micro % 1000000};
}
