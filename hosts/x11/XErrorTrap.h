// X errors, recorded instead of fatal. Xlib's default handler ends the process on any error, which a saver must
// not allow: the window it draws into belongs to someone else and may vanish at any time. The host checks
// XErrorTrapPoll() after each round of work (and XErrorTrapTake() where it must know at once) and ends cleanly,
// with a message, when something went wrong. A lost connection ends the process with status 1 and one line.
#pragma once

#include <X11/Xlib.h>

#include <string>

// Installs the recording handler and the lost-connection ending (once per process); before XOpenDisplay, so that
// no moment of the start is without them.
void XErrorTrapInstall();

// Parts of GLX talk to the server through XCB, which hands a lost connection back as a null reply that they do not
// all check: a server that dies during the start made the saver crash in glXGetConfig. From this call on, a fault
// (SIGSEGV, SIGBUS) once XCB has found the connection of `display` broken ends the process like any lost connection
// (status 1, one line); any other fault happens again under the handler that was there before, as it would have.
void XErrorTrapWatchConnection(Display* display);

// The first error since the last call, as one line ("BadWindow (invalid Window parameter)"), or "" for none.
// Flushes the connection first so that errors of requests already made have arrived.
std::string XErrorTrapTake(Display* display);

// The same without the round trip: the errors that Xlib has read so far (it reads while looking for events). The
// frame loop uses this: a round trip a frame would wait for the server to finish showing the last frame before the
// next could start.
std::string XErrorTrapPoll();
