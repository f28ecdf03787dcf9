// The window the saver draws into, following XScreenSaver's conventions:
//  - its own window (the default, or -window): resizable, titled "Inkspin", about two thirds of the screen, with a
//    double-buffered visual when the server has one, and the window manager's close button honoured;
//  - -root: $XSCREENSAVER_WINDOW when XScreenSaver set it (hex or decimal), else the root window;
//  - -window-id ID: a window another program made (a lock screen, a preview pane).
// On a window it did not create it takes that window's own visual, and listens only for its size, its visibility
// and its end.
//
// OpenGL draws into a child of that window which only the saver sizes (the root window excepted). The OpenGL driver
// asks the server for its drawable's size at every frame, so a window that another program grows past what OpenGL
// can draw would reach the driver before the saver has seen the resize (a 32767x32767 one crashed llvmpipe); the
// child keeps the size the saver has checked: other programs' requests to resize it are redirected to the saver,
// which never grants them (where another client already redirects the window's children, the saver puts the child
// back to its size when it sees it changed). A child of the root would be a top-level window over the desktop, so
// on the root the saver draws into the root itself, which only the server sizes, within what it can show.
#pragma once

#include "hosts/common/DisplayRequest.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>

struct SaverWindow {
    Window window = 0;   // whose size, visibility and end the saver follows
    Window drawable = 0; // what OpenGL draws into: the child, 1x1 until FitDrawable, or the root window itself
    XVisualInfo visual{};
    int width = 0;
    int height = 0;
    bool ownWindow = false;
    bool visible = true;   // mapped and not fully covered: frames are drawn only then
    Atom deleteWindow = 0; // WM_DELETE_WINDOW, for our own window
};

// Finds or makes the window; false with a one-line reason.
bool OpenSaverWindow(Display* display, const DisplayRequest& request, SaverWindow* result, std::string* error);

// Gives the child the window's size, once the caller has checked that OpenGL can draw that size; also puts it back
// when another program resized it.
void FitDrawable(Display* display, const SaverWindow& target);

// Destroys the child (before the display closes, the server would do it then anyway).
void CloseDrawable(Display* display, const SaverWindow& target);
