// inkspin: the saver's program. Renders headless with --render, otherwise runs on the display: natively on a Wayland
// compositor, or on X11 (ChooseDisplayHost says which).
#include "hosts/inkspin/CommandLine.h"
#include "hosts/wayland/WaylandHost.h"
#include "hosts/x11/X11Host.h"
#include "saver/SettingOverrides.h"
#include "support/text/Printable.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#ifndef INKSPIN_VERSION
#define INKSPIN_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(arguments, &line, &error)) {
        std::fprintf(stderr, "inkspin: %s (see inkspin --help)\n", error.c_str());
        return 2;
    }
    for (const std::string& warning : line.warnings)
        std::fprintf(stderr, "inkspin: %s; the saved or default value is used\n", warning.c_str());
    // The command line's settings hold over the preferences file for this run, and are never saved.
    for (const auto& [key, text] : line.settings)
        SetSettingOverride(key, text);
    switch (line.mode) {
    case RunMode::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case RunMode::Version:
        std::printf("inkspin %s\n", INKSPIN_VERSION);
        return 0;
    case RunMode::Render: {
        const int status = RenderFrames(line.render, &error);
        if (status != 0)
            std::fprintf(stderr, "inkspin: %s\n", inkspin::Printable(error).c_str());
        return status;
    }
    default: {
        if (!line.display.empty())
            setenv("DISPLAY", line.display.c_str(), 1); // as Xt's -display: the X display to open
        const bool wayland = ChooseDisplayHost(line, std::getenv("XSCREENSAVER_WINDOW"), std::getenv("WAYLAND_DISPLAY"),
                                               std::getenv("WAYLAND_SOCKET"))
            == DisplayHost::Wayland;
        const DisplayRequest request = DisplayRequestOf(line);
        const int status = wayland ? RunOnWayland(request, &error) : RunOnDisplay(request, &error);
        if (status != 0)
            std::fprintf(stderr, "inkspin: %s\n", inkspin::Printable(error).c_str());
        return status;
    }
    }
}
