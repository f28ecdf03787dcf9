#include "hosts/wayland/WaylandHost.h"

#include "hosts/common/OpenGLRoom.h"
#include "hosts/common/HostLoop.h"
#include "hosts/common/OnePerSession.h"
#include "hosts/common/SignalPipe.h"
#include "hosts/wayland/SaverSurface.h"
#include "hosts/wayland/WaylandConnection.h"
#include "hosts/wayland/WaylandEglContext.h"
#include "hosts/wayland/WaylandOutputs.h"
#include "hosts/wayland/WaylandSession.h"

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

using Outcome = HostOutcome;

// Surfaces the compositor closed are dropped; the first one that cannot be drawn ends the saver.
Outcome SurfacesOutcome(WaylandSession& h, std::string* error)
{
    if (h.inputEnded)
        return Outcome::Done;
    for (auto& o : h.outputs)
        if (o->surface && o->surface->closed())
            o->surface.reset(); // its output is going: wl_output's removal follows
    Outcome outcome = Outcome::Running;
    ForEachSurface(h, [&](SaverSurface& s) {
        if (outcome == Outcome::Failed)
            return;
        if (!s.failure().empty()) {
            *error = s.failure();
            outcome = Outcome::Failed;
        } else if (s.closeAsked()) {
            outcome = Outcome::Done; // the own window's close, or a compositor closing a fullscreen saver
        }
    });
    return outcome;
}

Outcome Run(WaylandSession& h, std::string* error)
{
    const int connection = wl_display_get_fd(h.display);
    for (;;) {
        if (TakeHostSignals([&] { ForEachSurface(h, [](SaverSurface& s) { s.restart(); }); }) == Outcome::Done)
            return Outcome::Done;
        Outcome outcome = wl_display_dispatch_pending(h.display) < 0 ? Outcome::Failed : SurfacesOutcome(h, error);
        if (outcome == Outcome::Failed && error->empty())
            *error = ConnectionLost(h.display);
        if (outcome = WithSignalGrace(outcome); outcome != Outcome::Running)
            return outcome;

        // Each surface whose frame is due and asked for draws it; the wait is until the next one is due, or, while
        // every surface waits for the compositor, until it says something.
        double wait = -1.0;
        bool shown = true;
        ForEachSurface(h, [&](SaverSurface& s) {
            if (s.waitingForCompositor())
                return;
            if (s.secondsUntilNextFrame() <= 0.0)
                shown = s.drawFrame() && shown;
            if (!s.waitingForCompositor())
                wait = wait < 0.0 ? s.secondsUntilNextFrame() : std::min(wait, s.secondsUntilNextFrame());
        });
        if (!shown) {
            *error = "a frame could not be shown on the Wayland surface";
            return Outcome::Failed;
        }

        if (wl_display_prepare_read(h.display) != 0)
            continue; // events arrived meanwhile: dispatch them first
        // A connection that fails here (flushing or reading) marks the display, and the dispatch at the top of
        // the loop ends the saver with the reason.
        const bool full = wl_display_flush(h.display) < 0 && errno == EAGAIN; // wait until the compositor reads
        pollfd fds[2] = {{connection, static_cast<short>(POLLIN | (full ? POLLOUT : 0)), 0},
                         {SignalPipeDescriptor(), POLLIN, 0}};
        poll(fds, 2, wait < 0.0 ? -1 : static_cast<int>(std::ceil(wait * 1000.0)));
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0)
            wl_display_read_events(h.display);
        else
            wl_display_cancel_read(h.display);
    }
}


// What the compositor must offer for the mode asked; false with the reason.
bool ChooseRole(WaylandSession& h, std::string* error)
{
    if (h.compositor == nullptr) {
        *error = "the Wayland compositor offers no wl_compositor";
        return false;
    }
    if (h.request->target == DisplayTarget::Background) {
        h.role = SurfaceRole::Background;
        if (h.layers == nullptr) {
            *error = "--background needs a compositor with the layer shell (sway, Hyprland, river, labwc, wayfire, "
                     "KDE Plasma); this one has none";
            return false;
        }
        return true;
    }
    if (h.request->target == DisplayTarget::Root && h.layers != nullptr) {
        h.role = SurfaceRole::Overlay;
        return true;
    }
    if (h.windows == nullptr) {
        *error = "the Wayland compositor offers neither the layer shell nor xdg-shell windows";
        return false;
    }
    h.role = h.request->target == DisplayTarget::Root ? SurfaceRole::Fullscreen : SurfaceRole::OwnWindow;
    return true;
}

} // namespace

int RunOnWayland(const DisplayRequest& request, std::string* error)
{
    if (!SignalPipeInstall()) {
        *error = "cannot set up signal handling";
        return 1;
    }
    // One screen saver per session: a second --root (another idle tool, a second watcher, the user by hand) would
    // stack its surfaces on the first's, and one key would end only one of them. A locker's --ignore-input copy
    // draws under its own prompt and is not one of these.
    int holder = 0;
    if (request.target == DisplayTarget::Root && !request.ignoreInput && !ClaimOnePerSession("inkspin-root", &holder)) {
        std::fprintf(stderr, "inkspin: a screen saver already covers this session (pid %d); this one ends\n", holder);
        return 0;
    }
    WaylandSession h;
    h.request = &request;
    h.endOnInput = request.target == DisplayTarget::Root && !request.ignoreInput;
    // What the seat is bound for; the mode chooses the final role once the globals are known.
    h.role = request.target == DisplayTarget::OwnWindow ? SurfaceRole::OwnWindow : SurfaceRole::Overlay;
    int status = 1;
    if (!Connect(h, error)) {
        if (h.display == nullptr)
            return 1;
    } else if (ChooseRole(h, error)) {
        long pixels = 0, widest = 0, tallest = 0;
        std::string what = DescribeOutputs(h, &pixels);
        for (auto& o : h.outputs) {
            widest = std::max(widest, o->width);
            tallest = std::max(tallest, o->height);
        }
        if (h.role == SurfaceRole::OwnWindow && widest > 0) {
            // About two thirds of the screen, as on X11 (in surface coordinates: a scaled output's pixels shrink).
            const int scale = std::max(1, h.outputs.front()->scale);
            h.setup.windowWidth = static_cast<int>(widest * 2 / 3 / scale);
            h.setup.windowHeight = static_cast<int>(tallest * 2 / 3 / scale);
        }
        if (h.role == SurfaceRole::OwnWindow) {
            pixels = long(h.setup.windowWidth) * h.setup.windowHeight * 4; // room for a window made larger
            what = "a " + std::to_string(h.setup.windowWidth) + "x" + std::to_string(h.setup.windowHeight) + " window";
        }
        h.setup.egl = RoomForOpenGL(pixels, what, error) ? WaylandEglDisplay(h.display, error) : EGL_NO_DISPLAY;
        if (h.setup.egl != EGL_NO_DISPLAY) {
            h.setup.compositor = h.compositor;
            h.setup.windows = h.windows;
            h.setup.layers = h.layers;
            h.setup.minimumInterval = static_cast<double>(request.delayMicroseconds) / 1e6;
            h.setup.showFrameRate = request.showFrameRate;
            h.setup.takeKeyboard = h.endOnInput;
            h.setup.scaleOf = [&h](wl_output* output) {
                const Output* o = FindOutput(h, output);
                return o != nullptr ? o->scale : 1;
            };
            h.drawing = true;
            if (h.role == SurfaceRole::OwnWindow)
                h.window = std::make_unique<SaverSurface>(h.setup, SurfaceRole::OwnWindow, nullptr);
            CoverOutputs(h);
            SignalPipeRunning();
            status = Run(h, error) == Outcome::Done ? 0 : 1;
        }
    }
    Disconnect(h);
    if (status == 0)
        SignalPipeEndAsAsked(); // ended by a signal: by that signal, as on X11; input, q, Esc or a close: status 0
    return status;}
