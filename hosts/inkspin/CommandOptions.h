// Every option of inkspin's command line, in one table: the options of how and where to run have their rows here,
// beside the command line that parses them; the settings are the rows of saver/SettingOptions.h, of the same form.
// `inkspin --help` prints the table, and the build writes XScreenSaver's description (inkspin.xml), the man page and
// the README's tables from it (tools/option-pages): one name, one range and one default per option everywhere.
// Options are marked with what they do (`HostOption`), never recognised by their kind or name.
#pragma once

#include "saver/SettingOptions.h"

#include <span>
#include <string>
#include <string_view>

// Where --help, the man page and the README list an option.
enum class OptionGroup {
    Window,  // where a run on a display draws
    Render,  // a headless render into PNG files
    Setting, // one of the saved settings, for this run only
    Display, // how often frames are drawn, and the rate shown: XScreenSaver's dialog offers these beside the settings
    Program, // --help, --version
};

// What an option does; Setting for the settings. Ignored: an option of XScreenSaver's hacks that means nothing here
// (a visual, a colour map), taken so that a command line written for any hack runs.
enum class HostOption {
    Setting, Window, Root, IgnoreInput, Background, WindowId, Display, Ignored, Render, Frames, Size, Rate, Fps, Delay,
    Help, Version
};

struct CommandOption {
    const OptionSpec* row; // its row in a table, never null
    OptionGroup group;
    HostOption host;
};

// Every option, grouped as --help lists them: window, render, settings, display, program.
std::span<const CommandOption> CommandOptions();

// The option named `name` (no dashes), or null.
const CommandOption* FindCommandOption(std::string_view name);

// An option as --help, the man page and the README spell it: "--zoom" with a toggle's other name "--no-zoom", or
// "--size" with its value's name "WxH".
struct OptionWords {
    std::string name, negated, value;
};
OptionWords WordsOf(const OptionSpec& option);

// Its range and default as all three say them: "from 0.5 to 4, default 2", "default on", "from 1 to 4294967295";
// "default off" for a switch that XScreenSaver's dialog offers; empty for an option with neither.
std::string FactsOf(const CommandOption& option);
