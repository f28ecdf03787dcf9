// The saver on a Wayland compositor: libwayland-client and EGL, no toolkit.
//
//  - -root: the screen saver. A surface on the layer shell's overlay layer of every output, over panels, taking the
//    keyboard; outputs that come while it runs get one, outputs that go lose theirs. The user's input (a key, a
//    button, a scroll, the pointer moving more than a few pixels) ends it with status 0, unless --ignore-input (a
//    locker that draws it as its background), which also leaves the keyboard alone. Without a layer shell (GNOME's
//    mutter, weston) a fullscreen window on every output.
//  - --background: a live wallpaper on the background layer of every output; takes no input and never ends on it.
//  - otherwise its own window (app id "inkspin"); q, Esc or the window's close end it with status 0.
// Frames come when the compositor asks for them and the view's schedule (and --delay) says they are due. SIGTERM,
// SIGINT and SIGHUP end it cleanly, by that signal; losing the compositor, or a surface OpenGL cannot draw, ends it
// with status 1 and a one-line reason in `error`.
#pragma once

#include "hosts/common/DisplayRequest.h"

#include <string>

int RunOnWayland(const DisplayRequest& request, std::string* error);
