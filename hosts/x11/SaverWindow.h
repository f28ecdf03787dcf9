// The window the saver draws into, following XScreenSaver's conventions:
//  - its own window (the default, or -window): resizable, titled "Inkspin", about two thirds of the screen, with a
//    double-buffered visual when the server has one, and the window manager's close button honoured;
//  - -root: $XSCREENSAVER_WINDOW when XScreenSaver set it (hex or decimal), else the root window;
//  - -window-id ID: a window another program made (a lock screen, a preview pane).
// On a window it did not create it takes that window's own visual, and listens only for its size, its visibility
// and its end.
#pragma once

#include "hosts/inkspin/CommandLine.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

struct SaverWindow {
    Window window = 0;
    XVisualInfo visual{};
    int width = 0;
    int height = 0;
    bool ownWindow = false;
    bool visible = true;   // mapped and not fully covered: frames are drawn only then
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for our own window
};

// Finds or makes the window; false with a one-line reason.
bool OpenSaverWindow(Display* display, const CommandLine& line, SaverWindow* result, std::string* error);
