// The saver on an X display: Xlib and GLX, no toolkit.
//
// Opens the display, finds or makes the window (SaverWindow.h), makes a GLX context on it, and drives one
// InkspinView: animateOneFrame at the view's interval by sleeping on the X connection (never spinning), resizes
// passed on to the view, each frame presented after it is drawn. Ends with 0 on SIGTERM, SIGINT, the window
// manager's close, or q / Esc in its own window; with 1 and a one-line reason when the display cannot be opened or
// the window does not exist or vanishes. SIGCONT (after a host's SIGSTOP) restarts the animation so its clock does
// not race to catch up.
#pragma once

#include "hosts/inkspin/CommandLine.h"

#include <string>

int RunOnDisplay(const CommandLine& line, std::string* error);
