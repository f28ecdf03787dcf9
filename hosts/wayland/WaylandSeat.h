// The seat: its pointer and keyboard, and what counts as the user's input. The screen saver (-root without
// --ignore-input) ends on a key, a click, a turn of the wheel or a pointer that moves more than a few pixels; the own
// window ends on q or Esc as the keyboard's layout places them. Keys already down when the saver came, and their
// release, are not input.
#pragma once

#include "hosts/wayland/WaylandSession.h"

// Follows the seat the registry announced as `name` (its pointer and keyboard as they come and go).
void WatchSeat(WaylandSession& h, uint32_t name, wl_seat* seat);
// Lets the seat go: its pointer, its keyboard and the seat itself.
void DropSeat(WaylandSession& h);
