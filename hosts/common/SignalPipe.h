// SIGTERM, SIGINT, SIGHUP (all three: end cleanly) and SIGCONT turned into bytes on a pipe, so the host's poll() wakes
// for them like for X events and handles them on its main thread. Hosts kill savers often and pause them with
// SIGSTOP/SIGCONT. A saver ends as hacks end: it cleans up, then dies by the ending signal itself (XScreenSaver logs
// an exit with status 0 after its SIGTERM as abnormal, a death by SIGTERM as normal; a shell sees 143). SIGPIPE is
// ignored: a server that is gone is Xlib's lost connection, told in one line.
#pragma once

enum class HostSignal { Nothing, Terminate, Continue };

// Installs the handlers; false when no pipe could be made. Until SignalPipeRunning, SIGTERM, SIGINT and SIGHUP end
// the process at once, by that signal: a host that ends the saver while it is still starting (Mesa compiling its
// first shaders can take seconds at nice 10 on a busy machine) must not wait for the start to finish.
bool SignalPipeInstall();
// From now on the ending signals go through the pipe, for the frame loop to end cleanly.
void SignalPipeRunning();
// The descriptor to poll for reading.
int SignalPipeDescriptor();
// The most urgent signal that arrived since the last call (Terminate before Continue), draining the pipe.
HostSignal SignalPipeTake();
// How long a host whose window or display went away waits for the ending signal that often goes with it (XScreenSaver
// sends SIGTERM and destroys the window at once; a session ending kills the compositor and its clients together).
inline constexpr int kSignalGraceMilliseconds = 500;
// Waits up to `milliseconds` for SIGTERM, SIGINT or SIGHUP; true when one came (a Continue on the way is dropped).
bool SignalPipeAwaitTerminate(int milliseconds);
// Once everything is cleaned up: when an ending signal was taken, dies by it (the first one, if several came);
// otherwise returns.
void SignalPipeEndAsAsked();
