// Whether this process's address space holds what Mesa's OpenGL driver needs before it is loaded. Under a limit on
// the address space (`ulimit -v`) below what the driver and LLVM take, Mesa crashes (SIGSEGV) or LLVM's threads throw
// an uncaught std::bad_alloc (SIGABRT) instead of failing: every host asks this first, so a limit too low gives one
// line. Without a limit it always holds.
#pragma once

#include <string>

// True when `pixels` (the drawable's, or the screen's) fit beside the driver; otherwise false, with `error` set to
// one line that names `what` (e.g. "frames of 1280x720") and what the driver needs and the limit allows.
bool RoomForOpenGL(long pixels, const std::string& what, std::string* error);
