#include "hosts/x11/XErrorTrap.h"

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

} // namespace

void XErrorTrapInstall() { XSetErrorHandler(RecordError); }

std::string XErrorTrapTake(Display* display)
{
    XSync(display, False);
    if (!gHaveError)
        return {};
    gHaveError = false;
    return gFirstError;
}
