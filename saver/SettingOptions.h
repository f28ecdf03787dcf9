// The options of the settings, in one table: a row for each setting of the settings sheet, standing for one, or for
// a colour three, of the eighteen preference keys. Its row is the only place that names a setting's keys, default,
// range, words and field in the view: the preferences' load and save and the settings window walk the rows
// (saver/SettingFields.h), the sheet takes each control's words, range, decimals and unit from its row, and inkspin's
// command line (hosts/inkspin/CommandOptions.h, where the options of how and where to run have rows of the same form)
// parses, documents and generates XScreenSaver's description, the man page and the README's tables from them.
//
// Given on the command line, a setting holds for that run only, over the preferences file, and is never written to
// it. Defaults are the built-in ones, so that XScreenSaver's dialog left untouched passes nothing and the file
// applies. No window-system or toolkit header: the sheet (Qt), the hosts and the build's tools all read this.
#pragma once

#include <span>
#include <string>
#include <string_view>

// The kinds of value an option takes. The settings are Toggle, Decimal, Whole and Colour; the others are kinds of
// the command line's own options.
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
    SettingField field = {}; // a setting's place in the view; none for an option of the command line's own
};

// The settings, in the sheet's order: background, outlines, shading.
std::span<const OptionSpec> SettingOptions();

// The setting named `name` (no dashes), or null.
const OptionSpec* FindSettingOption(std::string_view name);

// The label without its access-key mark: "Zoom factor".
std::string PlainLabel(const OptionSpec& option);

// The default as XScreenSaver's dialog, --help and the man page write it: "2", "0.6", "0.6,0.52,0.45", "1280x720",
// "on"; empty for an option with none (a switch, a directory, a window id).
std::string DefaultText(const OptionSpec& option);

// The range as people read it: "0.5 to 4".
std::string RangeText(const OptionSpec& option);
