// The wall clock the saver's animation runs on: seconds and microseconds since the epoch, at full width (no 2038
// wrap). Reads gettimeofday() by default; a host with a simulated clock (the headless renderer) or a test replaces
// the source. Main thread only.
#pragma once

#include <cstdint>
#include <functional>

struct WallTime {
    std::int64_t seconds = 0;
    std::int64_t microseconds = 0; // 0..999,999
};

WallTime WallClockNow();

// Replaces the source; an empty function restores gettimeofday().
void WallClockSetSource(std::function<WallTime()> source);

// A clock that moves only when told to: after n advances it reads start + n x step seconds, rounded up to whole
// microseconds, so that no interval it shows is shorter than the steps it stands for (a frame at exactly one
// animation tick must count as one tick, not fall a fraction of a microsecond short).
class SimulatedClock {
public:
    SimulatedClock(std::int64_t startSeconds, double stepSeconds) : start_(startSeconds), step_(stepSeconds) {}

    void advance() { ++steps_; }
    WallTime now() const;

private:
    std::int64_t start_;
    double step_;
    std::int64_t steps_ = 0;
};
