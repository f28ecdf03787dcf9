// The inkspin command line.
//
//   inkspin [-window] [-root] [-window-id ID] [SETTINGS] [--fps] [--delay US]     on the display
//   inkspin --background [SETTINGS] [--fps] [--delay US]                           a Wayland live wallpaper
//   inkspin --render DIR [--frames N] [--size WxH] [--rate HZ] [SETTINGS] [--fps]  headless, into PNG files
//   inkspin --help | --version
//
// Every option, its range and its default come from the table in CommandOptions.h; SETTINGS hold for this run only.
// Every option may be written with one dash or two. The window options combine as XScreenSaver and other lockers
// pass them: -window-id wins over --background, --background over -root, and -root over -window (its own window, the
// default). Parsing never touches the display or the file system. Bad input yields one line naming the argument
// (control characters escaped); so does an option given twice, except -root and -window, which hosts add to whatever
// the user wrote. The toolkit options of XScreenSaver's hacks are taken: -display is honoured, the visual ones
// (-visual, -install, -noinstall, -mono) and -geometry are ignored. A setting's value that cannot be used
// (a colour typed as "red" in XScreenSaver's dialog) is only a warning on a display, where the saver runs without it
// as stock hacks do, and an error for --render.
#pragma once

#include "hosts/common/DisplayRequest.h"
#include "hosts/headless/HeadlessRenderer.h"
#include "hosts/inkspin/CommandOptions.h"

#include <string>
#include <utility>
#include <vector>

enum class RunMode { Help, Version, Render, Window, Root, WindowId, Background };

// Which program shows the saver's picture.
enum class DisplayHost { X11, Wayland };

// As ParseCommandLine leaves it; the defaults of every value are the options table's.
struct CommandLine {
    RunMode mode = RunMode::Window;
    RenderOptions render;
    unsigned long windowId = 0;
    // The settings given: preference key and the text the preferences file would hold for it.
    std::vector<std::pair<std::string, std::string>> settings;
    bool showFrameRate = false;                               // --fps, also in render.showFrameRate
    long delayMicroseconds = 0;                               // --delay
    bool ignoreInput = false;                                 // --ignore-input: -root on Wayland goes on through input
    std::string display;                                      // -display: the X display, over $DISPLAY; "" for none
    // Why each setting's value could not be used, a line each (on a display only: a render refuses them).
    std::vector<std::string> warnings;
};

// False, with `error` set to one line naming the bad argument, when the arguments make no sense.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* result, std::string* error);

std::string UsageText();

// A window named by the caller (-window-id, or $XSCREENSAVER_WINDOW from an X11 host) or an X display (-display)
// means X11; otherwise a Wayland session ($WAYLAND_DISPLAY or $WAYLAND_SOCKET set and not empty) means Wayland, even
// with $DISPLAY set beside it (XWayland); otherwise X11. The arguments are the variables' values, null when unset.
DisplayHost ChooseDisplayHost(const CommandLine& line, const char* xscreensaverWindow, const char* waylandDisplay,
                              const char* waylandSocket);

// What a display host is asked: the target that the mode names (a display mode only), and the frame options.
DisplayRequest DisplayRequestOf(const CommandLine& line);

