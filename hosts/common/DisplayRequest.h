// What a display host (X11, Wayland) is asked to do. The hosts include this and not the command line, which also
// knows the headless renderer and the options table: the command line makes a request, the hosts carry it out.
#pragma once

#include <string>

// Where the picture goes: the saver's own window; the screen saver's place (X11: $XSCREENSAVER_WINDOW or the root
// window; Wayland: an overlay on every output); a window named by its id (X11); the desktop's background (Wayland:
// the background layer of every output; X11: the root window).
enum class DisplayTarget { OwnWindow, Root, WindowId, Background };

struct DisplayRequest {
    DisplayTarget target = DisplayTarget::OwnWindow;
    unsigned long windowId = 0;  // WindowId: the X window, 1 to 0xFFFFFFFF
    long delayMicroseconds = 0;  // the least time between frames; 0: the animation's own pace
    bool showFrameRate = false;  // the rate drawn in the lower left corner
    bool ignoreInput = false;    // Root: input does not end it (a locker draws it under its prompt)
};

// A window id as X clients write it (-window-id, $XSCREENSAVER_WINDOW): decimal, or hexadecimal with 0x; from
// kLowestWindowId to kHighestWindowId (X ids are 32 bits).
inline constexpr unsigned long kLowestWindowId = 1, kHighestWindowId = 0xFFFFFFFF;
bool ParseWindowId(const std::string& text, unsigned long* id);
