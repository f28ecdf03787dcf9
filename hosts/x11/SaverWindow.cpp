#include "hosts/x11/SaverWindow.h"

#include "hosts/x11/XErrorTrap.h"

#include <GL/glx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string Hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// XScreenSaver writes the window id in hex with 0x, or in decimal. Unset or empty: the root window; anything else
// that is no window id is an error, not a silent fall back to the root.
bool WindowFromEnvironment(Display* display, Window* window, std::string* error)
{
    const char* value = std::getenv("XSCREENSAVER_WINDOW");
    unsigned long id = 0;
    if (value == nullptr || *value == '\0') {
        *window = DefaultRootWindow(display);
        return true;
    }
    if (!ParseWindowId(value, &id)) {
        *error = std::string("XSCREENSAVER_WINDOW: '") + value + "' is not a window id";
        return false;
    }
    *window = static_cast<Window>(id);
    return true;
}

// The child OpenGL draws into (see the header): the window's own visual, depth and colormap; no background, so
// nothing is painted before the first frame. Keys and clicks are not selected here and go on to the window; the
// child's own size is, so that a resize by another program can be undone.
bool MakeDrawable(Display* display, SaverWindow* result, long windowEvents, std::string* error)
{
    // Other programs' resizes (and maps) of the window's children come to us as requests, which we never grant:
    // only the saver sizes the child. Only one client may ask this of a window; where another already has, the
    // saver undoes such resizes when it sees them.
    XSelectInput(display, result->window, windowEvents | SubstructureRedirectMask);
    XErrorTrapTake(display); // BadAccess: another client redirects them; the earlier selection stands
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    result->drawable = XCreateWindow(display, result->window, 0, 0, 1, 1, 0, CopyFromParent, InputOutput,
                                     CopyFromParent, CWBackPixmap | CWBorderPixel | CWEventMask, &attributes);
    XMapWindow(display, result->drawable);
    const std::string problem = XErrorTrapTake(display);
    if (!problem.empty()) {
        *error = "cannot draw into window " + Hex(result->window) + ": " + problem;
        return false;
    }
    return true;
}

bool MakeOwnWindow(Display* display, SaverWindow* result, std::string* error)
{
    const int screen = DefaultScreen(display);
    int doubleBuffered[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16,
                            GLX_DOUBLEBUFFER, None};
    int singleBuffered[] = {GLX_RGBA, GLX_RED_SIZE, 1, GLX_GREEN_SIZE, 1, GLX_BLUE_SIZE, 1, GLX_DEPTH_SIZE, 16, None};
    // Double buffering shows whole frames on every kind of server and compositor; the saver's single-buffered
    // drawing works with either.
    XVisualInfo* visual = glXChooseVisual(display, screen, doubleBuffered);
    if (visual == nullptr)
        visual = glXChooseVisual(display, screen, singleBuffered);
    if (visual == nullptr) {
        *error = "the display offers no OpenGL visual with a depth buffer";
        return false;
    }
    result->visual = *visual;
    XFree(visual);

    const Window root = RootWindow(display, screen);
    result->width = std::max(1, DisplayWidth(display, screen) * 2 / 3); // never 0x0, even on a 1x1 screen
    result->height = std::max(1, DisplayHeight(display, screen) * 2 / 3);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, result->visual.visual, AllocNone);
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.border_pixel = 0;
    const long events = StructureNotifyMask | KeyPressMask | ExposureMask | VisibilityChangeMask;
    attributes.event_mask = events;
    result->window = XCreateWindow(display, root, 0, 0, static_cast<unsigned>(result->width),
                                   static_cast<unsigned>(result->height), 0, result->visual.depth, InputOutput,
                                   result->visual.visual, CWColormap | CWBackPixel | CWBorderPixel | CWEventMask,
                                   &attributes);
    XStoreName(display, result->window, "Inkspin");
    XClassHint hint{const_cast<char*>("inkspin"), const_cast<char*>("Inkspin")};
    XSetClassHint(display, result->window, &hint);
    result->deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, result->window, &result->deleteWindow, 1);
    XMapWindow(display, result->window);
    result->ownWindow = true;
    const std::string problem = XErrorTrapTake(display);
    if (!problem.empty()) {
        *error = "cannot create a window: " + problem;
        return false;
    }
    return MakeDrawable(display, result, events, error);
}

bool UseWindow(Display* display, Window window, SaverWindow* result, std::string* error)
{
    // Only the window's size, visibility and end: its keyboard and mouse belong to whoever made it. Selected before
    // the size is read, so that no resize falls between the two.
    const long events = StructureNotifyMask | VisibilityChangeMask;
    XSelectInput(display, window, events);
    XWindowAttributes attributes{};
    const Status found = XGetWindowAttributes(display, window, &attributes);
    const std::string problem = XErrorTrapTake(display);
    if (!found || !problem.empty()) {
        *error = "window " + Hex(window) + " does not exist";
        return false;
    }
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    if (visual == nullptr || count < 1) {
        *error = "cannot find the visual of window " + Hex(window);
        return false;
    }
    result->visual = *visual;
    XFree(visual);
    result->window = window;
    result->width = attributes.width;
    result->height = attributes.height;
    result->visible = attributes.map_state == IsViewable;
    if (window != attributes.root)
        return MakeDrawable(display, result, events, error);
    result->drawable = window;
    return true;
}

} // namespace

bool OpenSaverWindow(Display* display, const DisplayRequest& request, SaverWindow* result, std::string* error)
{
    switch (request.target) {
    case DisplayTarget::WindowId:
        return UseWindow(display, static_cast<Window>(request.windowId), result, error);
    case DisplayTarget::Root:
    case DisplayTarget::Background: { // X11's desktop background is the root window
        Window window = 0;
        return WindowFromEnvironment(display, &window, error) && UseWindow(display, window, result, error);
    }
    default:
        return MakeOwnWindow(display, result, error);
    }
}

void FitDrawable(Display* display, const SaverWindow& target)
{
    if (target.drawable != target.window)
        XResizeWindow(display, target.drawable, static_cast<unsigned>(target.width), static_cast<unsigned>(target.height));
}

void CloseDrawable(Display* display, const SaverWindow& target)
{
    if (target.drawable != target.window && target.drawable != 0)
        XDestroyWindow(display, target.drawable);
}
