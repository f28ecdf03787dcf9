#include "hosts/x11/XErrorTrap.h"

#include <unistd.h>

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
int ConnectionLost(Display*)
{
    static const char message[] = "inkspin: the connection to the display was lost\n";
    [[maybe_unused]] const auto written = write(2, message, sizeof message - 1);
    _exit(1);
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
