// The saver on an X display: Xlib and GLX, no toolkit.
//
// Opens the display, finds or makes the window (SaverWindow.h), makes a GLX context on it, and drives one
// InkspinView: animateOneFrame at the view's interval by sleeping on the X connection (never spinning), resizes
// passed on to the view, each frame presented after it is drawn. On SIGTERM, SIGINT or SIGHUP it cleans up and dies by
// that signal (it does not return); it returns 0 on the window manager's close or q / Esc in its own window, and 1
// with a one-line reason when the display cannot be opened or the window does not exist or vanishes. SIGCONT (after a host's SIGSTOP) restarts the animation so its clock does
// not race to catch up.
#pragma once

#include "hosts/common/DisplayRequest.h"

#include <string>

int RunOnDisplay(const DisplayRequest& request, std::string* error);
