// SIGTERM, SIGINT, SIGHUP (all three: end cleanly) and SIGCONT turned into bytes on a pipe, so the host's poll() wakes for them like for X events
// and handles them on its main thread. Hosts kill savers often and pause them with SIGSTOP/SIGCONT.
#pragma once

enum class HostSignal { Nothing, Terminate, Continue };

// Installs the handlers; false when no pipe could be made.
bool SignalPipeInstall();
// The descriptor to poll for reading.
int SignalPipeDescriptor();
// The most urgent signal that arrived since the last call (Terminate before Continue), draining the pipe.
HostSignal SignalPipeTake();
// Waits up to `milliseconds` for SIGTERM, SIGINT or SIGHUP; true when one came (a Continue on the way is dropped).
bool SignalPipeAwaitTerminate(int milliseconds);
