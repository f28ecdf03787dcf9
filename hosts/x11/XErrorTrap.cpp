#include "hosts/x11/XErrorTrap.h"

#include <poll.h>
#include <unistd.h>

#include <csignal>

namespace {

// The handler runs inside Xlib on the main thread; it only records.
char gFirstError[160] = "";
bool gHaveError = false;

int RecordError(Display* display, XErrorEvent* event)
{
    if (!gHaveError) {
        XGetErrorText(display, event->error_code, gFirstError, sizeof gFirstError);
        gHaveError = true;
    }
    return 0;
}

// A lost connection cannot be recovered from: Xlib ends the process after this handler either way, so say it in
// the one line every other failure gets, instead of Xlib's several.
[[noreturn]] void EndForLostConnection()
{
    static const char message[] = "inkspin: the connection to the display was lost\n";
    [[maybe_unused]] const auto written = write(2, message, sizeof message - 1);
    _exit(1);
}

int ConnectionLost(Display*) { EndForLostConnection(); }

int gConnection = -1;
struct sigaction gPrevious[2]; // SIGSEGV, SIGBUS

// The server closed its end or the connection broke. Asked of the socket's state, not of its data: a server that
// dies right after sending events leaves them unread in front of the end of stream, and XCB may have given up on a
// failed write without reading them, so peeking would find data and call a dead server alive.
bool ConnectionIsGone()
{
    pollfd connection{gConnection, POLLRDHUP, 0};
    return poll(&connection, 1, 0) == 1 && (connection.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

void OnFault(int signal)
{
    if (gConnection >= 0 && ConnectionIsGone())
        EndForLostConnection();
    sigaction(signal, &gPrevious[signal == SIGSEGV ? 0 : 1], nullptr); // returning repeats the fault there
}

} // namespace

void XErrorTrapInstall()
{
    XSetErrorHandler(RecordError);
    XSetIOErrorHandler(ConnectionLost);
}

std::string XErrorTrapTake(Display* display)
{
    XSync(display, False);
    return XErrorTrapPoll();
}

std::string XErrorTrapPoll()
{
    if (!gHaveError)
        return {};
    gHaveError = false;
    return gFirstError;
}

void XErrorTrapWatchConnection(Display* display)
{
    gConnection = ConnectionNumber(display);
    struct sigaction action {};
    action.sa_handler = OnFault;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &gPrevious[0]);
    sigaction(SIGBUS, &action, &gPrevious[1]);
}
