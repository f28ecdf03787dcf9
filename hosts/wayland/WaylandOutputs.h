// The outputs of the session: each is followed from its announcement (its mode, its scale, the done that ends a
// change) to its removal, and covered by a surface of its own once it has told its whole state, in the modes that
// cover outputs (the screen saver, the wallpaper, fullscreen windows).
#pragma once

#include "hosts/wayland/WaylandSession.h"

#include <string>

// Follows the output the registry announced as `name`.
void WatchOutput(WaylandSession& h, uint32_t name, wl_output* output);
// The output that `output` is, or null.
Output* FindOutput(WaylandSession& h, wl_output* output);
// Gives every output that has told its state a surface, once the session draws (h.drawing).
void CoverOutputs(WaylandSession& h);
// Drops the output the registry removed (its surface first); no effect for another name.
void ForgetOutput(WaylandSession& h, uint32_t name);
// Drops every output, at the end.
void ForgetOutputs(WaylandSession& h);
// The outputs' sizes as the out-of-memory line names them ("a 1920x1080 output", "outputs of 1280x720 and
// 1920x1080"), and their pixels in all.
std::string DescribeOutputs(const WaylandSession& h, long* pixels);
