// The connection to the compositor: connecting (one line saying why not, and the way out), the registry's globals
// (the compositor, the shells, the seat, the outputs), the reason a connection ended, and the orderly end.
#pragma once

#include "hosts/wayland/WaylandSession.h"

#include <string>

// Connects and binds the globals, with two round trips (the globals, then what the outputs and the seat say of
// themselves); false with the reason.
bool Connect(WaylandSession& h, std::string* error);
// Why the connection ended: a protocol error (its code and interface) or the compositor gone.
std::string ConnectionLost(wl_display* display);
// Destroys every surface, the EGL display after them, the seat, the globals and the connection.
void Disconnect(WaylandSession& h);
