// Every option of inkspin and every setting of the settings sheet, in one table: the command line parses from it,
// `inkspin --help` prints it, the build writes XScreenSaver's description (inkspin.xml), the man page and the
// README's table from it (tools/option-pages), and the settings sheet takes each control's words, range, decimals
// and unit from it. One name, one range and one default per setting everywhere.
//
// A setting stands for one, or for a colour three, of the eighteen preference keys, and its row is the only place
// that names them, their defaults and their fields in the view: the preferences' load and save and the settings
// window walk the rows (saver/SettingFields.h), the README's table of keys is printed from them. Given on the
// command line, a setting holds for that run only, over the preferences file, and is never written to it: command
// line, then the file, then the built-in defaults. Defaults are the built-in ones, so that XScreenSaver's dialog left
// untouched passes nothing and the file applies. Host options (how and where to run) are marked with what they do
// (`HostOption`), never recognised by their kind.
//
// No window-system or toolkit header: the sheet (Qt), the hosts and the build's tools all read this.
#pragma once

#include <span>
#include <string>
#include <string_view>

enum class OptionKind {
    Switch,   // a word alone: --fps, -root
    Toggle,   // --NAME turns it on, --no-NAME off
    Decimal,  // a decimal number in [low, high]
    Whole,    // a whole number in [low, high]
    Colour,   // #rrggbb, or r,g,b with each part from 0 to 1
    Size,     // WxH, each side a whole number in [low, high]
    WindowId, // an X window id, decimal or 0x hexadecimal, in [low, high]
    Text,     // any text that is not empty (a directory)
};

// Where --help, the man page and the README list an option.
enum class OptionGroup {
    Window,  // where a run on a display draws
    Render,  // a headless render into PNG files
    Setting, // one of the saved settings, for this run only
    Display, // how often frames are drawn, and the rate shown: XScreenSaver's dialog offers these beside the settings
    Program, // --help, --version
};

// What a host option does; Setting for the settings. Ignored: an option of XScreenSaver's hacks that means nothing
// here (a visual, a colour map), taken so that a command line written for any hack runs.
enum class HostOption {
    Setting, Window, Root, IgnoreInput, Background, WindowId, Display, Ignored, Render, Frames, Size, Rate, Fps, Delay,
    Help, Version
};

class InkspinView;

// Where a setting lives in a view: the field a load fills (a colour's RGBColour) and the one a save stores and the
// settings window compares (the zoom's choice pending for the next frame; the same field for every other setting).
// Its type is the row's kind's: Toggle std::uint8_t, Decimal float, Whole std::int32_t, Colour RGBColour (the table
// is checked for that as it compiles).
struct SettingField {
    void* (*live)(InkspinView&) = nullptr;
    void* (*saved)(InkspinView&) = nullptr;
    OptionKind kind = OptionKind::Switch;
};

struct OptionSpec {
    const char* name;       // without dashes; every option is also spelled with one dash or two
    OptionGroup group;
    HostOption host;
    OptionKind kind;
    const char* valueName;  // what --help calls the value ("X", "PIXELS"); empty for switches and toggles
    double low, high;       // the range of Decimal, Whole, WindowId, and of each side of a Size
    int decimals;           // Decimal: the places the sheet's slider steps in and shows; otherwise 0
    const char* unit;       // what the sheet shows after a value ("×", " px", "/32"); may be empty
    const char* label;      // the sheet's and XScreenSaver's dialog's words, '&' before the sheet's access key
    const char* help;       // one line for --help, the man page, the README and the sheet's tooltip
    const char* keys[3];    // the preference keys a setting sets: one, or red, green and blue
    double defaultValue;    // Decimal, Whole; Toggle and Switch: 1 or 0
    float defaultParts[3];  // Colour: red, green, blue; Size: width, height
    SettingField field = {}; // a setting's place in the view; none for a host option
};

// Every option, grouped as --help lists them: window, render, settings, display, program.
std::span<const OptionSpec> Options();

// The option named `name` (no dashes), or null.
const OptionSpec* FindOption(std::string_view name);

// The label without its access-key mark: "Zoom factor".
std::string PlainLabel(const OptionSpec& option);

// The default as XScreenSaver's dialog, --help and the man page write it: "2", "0.6", "0.6,0.52,0.45", "1280x720";
// empty for an option with none (a directory, a window id).
std::string DefaultText(const OptionSpec& option);

// The range as people read it: "0.5 to 4".
std::string RangeText(const OptionSpec& option);
