#include "hosts/x11/XErrorTrap.h"

#include <X11/Xlib-xcb.h>
#include <xcb/xcb.h>

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

xcb_connection_t* gConnection = nullptr;
struct sigaction gPrevious[2]; // SIGSEGV, SIGBUS

void OnFault(int signal)
{
    // Only when XCB itself has found the connection broken: that is when it hands null replies to GLX. A fault
    // with the connection whole, or only with its socket hung up, is some other crash and is reported as one.
    // (Reading the error flag is a plain load, safe in a signal handler.)
    if (gConnection != nullptr && xcb_connection_has_error(gConnection) != 0)
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
    gConnection = XGetXCBConnection(display);
    struct sigaction action {};
    action.sa_handler = OnFault;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, &gPrevious[0]);
    sigaction(SIGBUS, &action, &gPrevious[1]);
}
