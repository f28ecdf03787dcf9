#include "hosts/x11/X11Host.h"

#include "hosts/common/OpenGLRoom.h"
#include "hosts/common/HostLoop.h"
#include "hosts/common/SignalPipe.h"
#include "hosts/x11/GlxContext.h"
#include "hosts/x11/SaverWindow.h"
#include "hosts/x11/XErrorTrap.h"
#include "platform/FrameRateOverlay.h"
#include "platform/HostDriver.h"
#include "saver/InkspinView.h"

#include <X11/keysym.h>

#include <poll.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

using Outcome = HostOutcome;


struct Session {
    Display* display;
    SaverWindow target;
    GlxContext* context;
    HostDriver* driver;
    FrameRateOverlay* overlay; // null without --fps
    std::string* error;
};

// Whether OpenGL can draw the whole window. A larger one is refused, not drawn in part: the drawable stays at the
// size last checked, and the saver ends with one line.
bool FitsOpenGL(const SaverWindow& target, const GlxContext& context, std::string* error)
{
    if (target.width <= context.maxWidth() && target.height <= context.maxHeight())
        return true;
    *error = "the window is " + std::to_string(target.width) + "x" + std::to_string(target.height)
        + ", larger than this OpenGL can draw (" + std::to_string(context.maxWidth()) + "x"
        + std::to_string(context.maxHeight()) + ")";
    return false;
}

// Handles every queued event; says whether to go on.
Outcome HandleEvents(Session& s)
{
    while (XPending(s.display) > 0) {
        XEvent event;
        XNextEvent(s.display, &event);
        switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.window == s.target.drawable && s.target.drawable != s.target.window
                && (event.xconfigure.width != s.target.width || event.xconfigure.height != s.target.height)) {
                FitDrawable(s.display, s.target); // another program resized the child: only the saver sizes it
                break;
            }
            if (event.xconfigure.window == s.target.window
                && (event.xconfigure.width != s.target.width || event.xconfigure.height != s.target.height)) {
                s.target.width = event.xconfigure.width;
                s.target.height = event.xconfigure.height;
                if (!FitsOpenGL(s.target, *s.context, s.error))
                    return Outcome::Failed;
                FitDrawable(s.display, s.target);
                s.driver->resize({static_cast<float>(s.target.width), static_cast<float>(s.target.height)});
            }
            break;
        case MapNotify:
        case UnmapNotify:
            if (event.xany.window == s.target.window)
                s.target.visible = event.type == MapNotify;
            break;
        case VisibilityNotify:
            if (event.xvisibility.window == s.target.window)
                s.target.visible = event.xvisibility.state != VisibilityFullyObscured;
            break;
        case DestroyNotify:
            if (event.xdestroywindow.window == s.target.window) {
                *s.error = "the window was destroyed";
                return Outcome::Failed;
            }
            break;
        case ClientMessage:
            if (s.target.ownWindow && static_cast<Atom>(event.xclient.data.l[0]) == s.target.deleteWindow)
                return Outcome::Done;
            break;
        case KeyPress: {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            if (s.target.ownWindow && (key == XK_q || key == XK_Q || key == XK_Escape))
                return Outcome::Done;
            break;
        }
        default:
            break;
        }
    }
    return Outcome::Running;
}

Outcome Run(Session& s)
{
    const int xfd = ConnectionNumber(s.display);
    for (;;) {
        if (TakeHostSignals([&] { s.driver->restart(); }) == Outcome::Done)
            return Outcome::Done;
        Outcome outcome = HandleEvents(s);
        if (outcome == Outcome::Running) {
            const std::string problem = XErrorTrapPoll();
            if (!problem.empty()) {
                *s.error = "the window cannot be drawn into any more: " + problem;
                outcome = Outcome::Failed;
            }
        }
        if (outcome = WithSignalGrace(outcome); outcome != Outcome::Running)
            return outcome;

        // Sleep on the X connection and the signal pipe until the next frame is due (or, while nobody can see the
        // window, until something happens); anything that wakes us early goes round the loop again.
        const double wait = s.driver->secondsUntilNextFrame();
        if (wait > 0.0 || !s.target.visible) {
            // Events that Xlib already read off the connection (checking for errors syncs) would not wake poll().
            if (XEventsQueued(s.display, QueuedAlready) > 0)
                continue;
            pollfd fds[2] = {{xfd, POLLIN, 0}, {SignalPipeDescriptor(), POLLIN, 0}};
            poll(fds, 2, s.target.visible ? static_cast<int>(std::ceil(wait * 1000.0)) : -1);
            continue;
        }
        if (s.driver->frame()) {
            if (s.overlay != nullptr)
                s.overlay->drawOver(s.target.width, s.target.height);
            s.context->present(); // only a frame that was drawn: the back buffer is undefined otherwise
        }
    }
}

} // namespace

int RunOnDisplay(const DisplayRequest& request, std::string* error)
{
    // Handlers first: a host may end the saver before it has even opened the display.
    if (!SignalPipeInstall()) {
        *error = "cannot set up signal handling";
        return 1;
    }
    XErrorTrapInstall();
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        *error = name == nullptr || *name == '\0'
            ? std::string("no display: DISPLAY is not set")
                + (wayland == nullptr || *wayland == '\0' ? ", and neither is WAYLAND_DISPLAY" : "")
            : "cannot open display \"" + std::string(name) + "\"";
        *error += "; use --render DIR to render without one";
        return 1;
    }
    XErrorTrapWatchConnection(display);
    // Before anything of GLX: finding a visual already loads the driver.
    const int screen = DefaultScreen(display);
    const int width = DisplayWidth(display, screen), height = DisplayHeight(display, screen);
    if (!RoomForOpenGL(long(width) * height, "a " + std::to_string(width) + "x" + std::to_string(height) + " screen",
                       error)) {
        XCloseDisplay(display);
        return 1;
    }

    int status = 1;
    SaverWindow target;
    if (OpenSaverWindow(display, request, &target, error)) {
        std::unique_ptr<GlxContext> context = GlxContext::create(display, target.drawable, target.visual, error);
        if (context && !FitsOpenGL(target, *context, error))
            context.reset();
        if (context) {
            FitDrawable(display, target);
            OpenGLSetContextProvider([&context](const OpenGLPixelFormat&) -> OpenGLContext* { return context.get(); });
            {
                InkspinView view;
                HostDriver driver(view);
                if (driver.start({0.0f, 0.0f, static_cast<float>(target.width), static_cast<float>(target.height)}, false)) {
                    context->present(); // the background colour shows at once
                    driver.setMinimumInterval(static_cast<double>(request.delayMicroseconds) / 1e6);
                    FrameRateOverlay overlay;
                    Session session{display, target, context.get(), &driver, request.showFrameRate ? &overlay : nullptr,
                                    error};
                    SignalPipeRunning();
                    status = Run(session) == Outcome::Done ? 0 : 1;
                    driver.stop(); // after a vanished window, the errors this raises are trapped and dropped
                } else {
                    *error = "the saver view could not be made";
                }
            }
            OpenGLSetContextProvider({});
            context.reset();
        }
        CloseDrawable(display, target);
        if (target.ownWindow)
            XDestroyWindow(display, target.window);
    }
    XErrorTrapTake(display);
    XCloseDisplay(display);
    if (status == 0)
        SignalPipeEndAsAsked(); // ended by a signal: by that signal, as hacks end; q, Esc or a close: status 0
    return status;
}
