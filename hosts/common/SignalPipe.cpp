#include "hosts/common/SignalPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <initializer_list>

namespace {

int gPipe[2] = {-1, -1};
volatile std::sig_atomic_t gStarting = 1; // until the host says it runs: an ending signal ends the process at once
int gEnding = 0; // the ending signal the frame loop was given, read on the main thread only

// Dies by `signal` itself, as if no handler had been there: what the daemons that start savers expect of a hack.
void DieBy(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr); // blocked while its handler runs
    raise(signal);
    _exit(128 + signal); // not reached: SIGTERM, SIGINT and SIGHUP end a process by default
}

void Forward(int signal)
{
    if (gStarting && signal != SIGCONT)
        DieBy(signal); // nothing of the start needs undoing that the system does not undo
    const char byte = signal == SIGCONT ? 'c' : signal == SIGINT ? 'i' : signal == SIGHUP ? 'h' : 't';
    const int saved = errno;
    [[maybe_unused]] const auto written = write(gPipe[1], &byte, 1); // a full pipe already holds a wake-up
    errno = saved;
}

} // namespace

bool SignalPipeInstall()
{
    if (gPipe[0] >= 0)
        return true;
    if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = Forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCONT})
        sigaction(signal, &action, nullptr);
    // A write to a server that has gone would end the process with SIGPIPE and not a word; ignored, the write fails
    // and Xlib's lost-connection path says so in one line.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int SignalPipeDescriptor() { return gPipe[0]; }

HostSignal SignalPipeTake()
{
    HostSignal result = HostSignal::Nothing;
    char bytes[64];
    ssize_t count;
    while ((count = read(gPipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            if (bytes[i] != 'c') {
                result = HostSignal::Terminate;
                if (gEnding == 0)
                    gEnding = bytes[i] == 'i' ? SIGINT : bytes[i] == 'h' ? SIGHUP : SIGTERM;
            } else if (result == HostSignal::Nothing) {
                result = HostSignal::Continue;
            }
        }
    }
    return result;
}

bool SignalPipeAwaitTerminate(int milliseconds)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (SignalPipeTake() == HostSignal::Terminate)
            return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd fd = {gPipe[0], POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

void SignalPipeRunning() { gStarting = 0; }

void SignalPipeEndAsAsked()
{
    if (gEnding != 0)
        DieBy(gEnding);
}
