// Whether this process's address space holds what Mesa's OpenGL driver needs before it is loaded. Under a limit on
// the address space (`ulimit -v`) below what the driver and LLVM take, Mesa crashes (SIGSEGV) or LLVM's threads throw
// an uncaught std::bad_alloc (SIGABRT) instead of failing: every host asks this first, so a limit too low gives one
// line. Without a limit it always holds.
#pragma once

#include <string>

// True when `pixels` (the drawable's, or the screen's) fit beside the driver; otherwise false, with `error` set to
// one line that names `what` (e.g. "frames of 1280x720"), what the driver and the pictures need beside what the
// process uses already, and what the limit allows.
bool RoomForOpenGL(long pixels, const std::string& what, std::string* error);

// The same for one more context once the driver is loaded (a Wayland output that comes while the saver runs): room
// for its own share of the driver and its drawable of `pixels`.
bool RoomForAnotherContext(long pixels, const std::string& what, std::string* error);
