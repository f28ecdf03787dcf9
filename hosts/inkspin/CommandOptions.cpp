#include "hosts/inkspin/CommandOptions.h"

#include <vector>

namespace {

using enum OptionKind;
using G = OptionGroup;
using H = HostOption;

struct HostRow {
    OptionGroup group;
    HostOption host;
    OptionSpec option;
};

// XScreenSaver's frame-rate convention: microseconds between frames. The default keeps the animation's own 1/67 s.
constexpr double kDefaultDelayMicroseconds = 14925;

constexpr HostRow kHostRows[] = {
    {G::Window, H::Window, {"window", Switch, "", 0, 0, 0, "", "",
     "run in a window of its own (the default); q or Esc ends it", {}, 0, {}}},
    {G::Window, H::Root, {"root", Switch, "", 0, 0, 0, "", "",
     "X11: draw on the root window, or on $XSCREENSAVER_WINDOW when that is set; Wayland: cover every output until a "
     "key, a click or the pointer moving",
     {}, 0, {}}},
    {G::Window, H::WindowId, {"window-id", WindowId, "ID", 1, 4294967295.0, 0, "", "",
     "draw into an existing X11 window, named by its id: decimal, or hexadecimal after 0x", {}, 0, {}}},
    {G::Window, H::Background, {"background", Switch, "", 0, 0, 0, "", "",
     "Wayland: a live wallpaper under the windows of every output", {}, 0, {}}},
    {G::Window, H::IgnoreInput, {"ignore-input", Switch, "", 0, 0, 0, "", "",
     "Wayland -root: keep running through input (for a locker that draws it)", {}, 0, {}}},
    {G::Window, H::Display, {"display", Text, "DISPLAY", 0, 0, 0, "", "",
     "X11: draw on this X display, not $DISPLAY's", {}, 0, {}}},
    {G::Window, H::Ignored, {"visual", Text, "VISUAL", 0, 0, 0, "", "",
     "taken, as XScreenSaver's hacks take it, and ignored: the saver uses its window's visual, or OpenGL's", {}, 0,
     {}}},
    {G::Window, H::Ignored, {"geometry", Text, "WxH+X+Y", 0, 0, 0, "", "",
     "taken and ignored: the own window opens at two thirds of the screen", {}, 0, {}}},
    {G::Window, H::Ignored, {"install", Switch, "", 0, 0, 0, "", "", "taken and ignored (a colour map of its own)", {},
     0, {}}},
    {G::Window, H::Ignored, {"noinstall", Switch, "", 0, 0, 0, "", "", "taken and ignored", {}, 0, {}}},
    {G::Window, H::Ignored, {"mono", Switch, "", 0, 0, 0, "", "", "taken and ignored (a monochrome screen)", {}, 0, {}}},

    {G::Render, H::Render, {"render", Text, "DIR", 0, 0, 0, "", "",
     "render frames headless into DIR/frame-0000.png ... (DIR made if missing, not its parents; no display needed)",
     {}, 0, {}}},
    {G::Render, H::Frames, {"frames", Whole, "N", 1, 100000000, 0, "", "", "number of frames to render", {}, 300, {}}},
    {G::Render, H::Size, {"size", Size, "WxH", 1, 16384, 0, "", "", "frame size in pixels, each side", {}, 0,
     {1280, 720}}},
    // Below a hundredth of a hertz a simulated step is minutes of animation at once; above a thousand, less than a
    // tick.
    {G::Render, H::Rate, {"rate", Decimal, "HZ", 0.01, 1000, 2, "", "", "simulated host calls per second", {}, 67,
     {}}},

    {G::Display, H::Fps, {"fps", Switch, "", 0, 0, 0, "", "Show frame rate",
     "show the frames drawn a second in the lower left corner", {}, 0, {}}},
    {G::Display, H::Delay, {"delay", Whole, "MICROSECONDS", 0, 100000, 0, "", "Frame rate",
     "least time between frames; the motion keeps its speed", {}, kDefaultDelayMicroseconds, {}}},

    {G::Program, H::Help, {"help", Switch, "", 0, 0, 0, "", "", "print this help", {}, 0, {}}},
    {G::Program, H::Version, {"version", Switch, "", 0, 0, 0, "", "", "print the version", {}, 0, {}}},
};

std::vector<CommandOption> MakeTable()
{
    std::vector<CommandOption> table;
    for (const OptionGroup group : {G::Window, G::Render, G::Setting, G::Display, G::Program}) {
        for (const HostRow& row : kHostRows)
            if (row.group == group)
                table.push_back({&row.option, row.group, row.host});
        if (group == G::Setting)
            for (const OptionSpec& setting : SettingOptions())
                table.push_back({&setting, G::Setting, H::Setting});
    }
    return table;
}

} // namespace

std::span<const CommandOption> CommandOptions()
{
    static const std::vector<CommandOption> table = MakeTable();
    return table;
}

const CommandOption* FindCommandOption(std::string_view name)
{
    for (const CommandOption& option : CommandOptions())
        if (name == option.row->name)
            return &option;
    return nullptr;
}

OptionWords WordsOf(const OptionSpec& option)
{
    const std::string name = std::string("--") + option.name;
    return {name, option.kind == Toggle ? "--no-" + std::string(option.name) : "", option.valueName};
}

std::string FactsOf(const CommandOption& option)
{
    const OptionSpec& row = *option.row;
    const bool ranged = row.kind == Decimal || row.kind == Whole || row.kind == Size || row.kind == WindowId;
    const std::string fallback = row.kind == Switch && option.group == G::Display ? "off" : DefaultText(row);
    const std::string range = ranged ? "from " + RangeText(row) : "";
    if (fallback.empty())
        return range;
    return range.empty() ? "default " + fallback : range + ", default " + fallback;
}
