// The saver's options, in one table: the command line parses from it, `inkspin --help` prints it, and the build
// writes XScreenSaver's description (inkspin.xml) and the man page (inkspin.6) from it (tools/option-pages), so the
// four cannot disagree.
//
// Each setting option stands for one, or for a colour three, of the eighteen preference keys. Given on the command
// line it holds for that run only, over the preferences file, and is never written to it: command line, then the
// file, then the built-in defaults. Ranges are the settings sheet's; defaults are the built-in ones, so that a
// dialog left untouched passes nothing and the file applies.
#pragma once

#include <span>
#include <string>

enum class OptionKind {
    Switch,  // a word alone: --fps, -root
    Toggle,  // --NAME turns it on, --no-NAME off
    Decimal, // a decimal number in [low, high]
    Whole,   // a whole number in [low, high]
    Colour,  // #rrggbb, or r,g,b with each part from 0 to 1
};

struct OptionSpec {
    const char* name;       // without dashes; every option is also spelled with one dash or two
    OptionKind kind;
    const char* valueName;  // what --help calls the value ("X", "PIXELS"); empty for switches and toggles
    double low, high;       // the range of Decimal and Whole
    int decimals;           // Decimal: the places XScreenSaver's slider and the man page show
    const char* label;      // the settings dialog's words for it
    const char* help;       // one line for --help and the man page
    const char* keys[3];    // the preference keys it sets: one, or red, green and blue; none for host options
    // The built-in default as a value (Decimal, Whole; Toggle: 1 or 0) or a colour.
    double defaultValue;
    float defaultColour[3];
};

// Options that set preferences, then --fps and --delay, in the order --help and the dialog show them.
std::span<const OptionSpec> SaverOptions();

// The default as XScreenSaver's dialog and the man page write it: "2", "0.6", "0.6,0.52,0.45".
std::string DefaultText(const OptionSpec& option);

// XScreenSaver's frame-rate convention: microseconds between frames. The default keeps the animation's own 1/67 s.
inline constexpr long kDefaultDelayMicroseconds = 14925;
