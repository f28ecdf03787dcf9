// What an X window shows, as the tests of the X11 host and of the XScreenSaver daemon read it back.
#pragma once

#include "tests/common/TestEnvironment.h"

#include <X11/Xlib.h>

#include <vector>

// Every pixel of `window` (a 24-bit TrueColor one, or the root), top row first; empty when it cannot be read.
std::vector<Pixel> WindowPixels(Display* display, Window window);
