// The head and the tail of every display host's loop (X11, Wayland), written once: the signals are looked at before
// anything else, and a failure waits briefly for the ending signal that often comes with it.
#pragma once

#include "hosts/common/SignalPipe.h"

enum class HostOutcome { Running, Done, Failed };

// The signals first: an ending signal asks for a clean end whatever else happened (XScreenSaver sends SIGTERM and
// destroys the window at once; a session's end kills the compositor and its clients together), so it is Done; after a
// SIGCONT (the host had stopped the saver) `restart` starts the animation over, and the loop goes on (Running).
template <typename Restart>
HostOutcome TakeHostSignals(Restart&& restart)
{
    const HostSignal signal = SignalPipeTake();
    if (signal == HostSignal::Terminate)
        return HostOutcome::Done;
    if (signal == HostSignal::Continue)
        restart();
    return HostOutcome::Running;
}

// A failure (the window or the display gone) that its ending signal follows within kSignalGraceMilliseconds is that
// signal's clean end; any other outcome stays as it is.
inline HostOutcome WithSignalGrace(HostOutcome outcome)
{
    if (outcome == HostOutcome::Failed && SignalPipeAwaitTerminate(kSignalGraceMilliseconds))
        return HostOutcome::Done;
    return outcome;
}
