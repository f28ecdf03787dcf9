#include "hosts/inkspin/CommandLine.h"

#include "support/text/Printable.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

using inkspin::Printable;

constexpr int kMaxSide = 16384;
constexpr long kMaxFrames = 100000000;
// Below a hundredth of a hertz a simulated step is minutes of animation at once; above a thousand, less than a tick.
constexpr double kMinRate = 0.01;
constexpr double kMaxRate = 1000.0;

bool ParseLong(const std::string& text, long* value, int base = 10)
{
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value, base);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseDouble(const std::string& text, double low, double high, double* value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && std::isfinite(*value)
        && *value >= low && *value <= high;
}

bool ParseSize(const std::string& text, int* width, int* height)
{
    const std::size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseLong(text.substr(0, x), &w) || !ParseLong(text.substr(x + 1), &h))
        return false;
    if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide)
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// #rrggbb, or r,g,b with each part a decimal from 0 to 1.
bool ParseColour(const std::string& text, float rgb[3])
{
    if (text.size() == 7 && text[0] == '#') {
        for (int i = 0; i < 3; ++i) {
            long byte = 0;
            const std::string digits = text.substr(1 + 2 * i, 2);
            if (!std::isxdigit(static_cast<unsigned char>(digits[0])) || !ParseLong(digits, &byte, 16))
                return false; // from_chars takes a sign: "#-0-0-0" read as black
            rgb[i] = static_cast<float>(byte) / 255.0f;
        }
        return true;
    }
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t comma = i < 2 ? text.find(',', start) : text.size();
        double part = 0.0;
        if (comma == std::string::npos || !ParseDouble(text.substr(start, comma - start), 0.0, 1.0, &part))
            return false;
        rgb[i] = static_cast<float>(part);
        start = comma + 1;
    }
    return true;
}

// As the preferences store writes a float: the shortest text that reads back bit for bit.
std::string FloatText(float value)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, error == std::errc() ? end : text);
}

std::string RangeText(const OptionSpec& option)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g to %g", option.low, option.high);
    return text;
}

// A value for one of the table's options; false with the reason.
bool TakeValue(const OptionSpec& option, const std::string& spelled, const std::string& text, CommandLine* line,
               std::string* error)
{
    const std::string quoted = spelled + ": '" + Printable(text) + "' ";
    switch (option.kind) {
    case OptionKind::Decimal: {
        double value = 0.0;
        if (!ParseDouble(text, option.low, option.high, &value)) {
            *error = quoted + "is not a number from " + RangeText(option);
            return false;
        }
        line->settings.emplace_back(option.keys[0], FloatText(static_cast<float>(value)));
        return true;
    }
    case OptionKind::Whole: {
        long value = 0;
        if (!ParseLong(text, &value) || value < option.low || value > option.high) {
            *error = quoted + "is not a whole number from " + RangeText(option);
            return false;
        }
        if (option.keys[0] != nullptr)
            line->settings.emplace_back(option.keys[0], std::to_string(value));
        else
            line->delayMicroseconds = value; // the one host option with a value
        return true;
    }
    case OptionKind::Colour: {
        float rgb[3];
        if (!ParseColour(text, rgb)) {
            *error = quoted + "is not a colour: #rrggbb, or r,g,b with each from 0 to 1";
            return false;
        }
        for (int i = 0; i < 3; ++i)
            line->settings.emplace_back(option.keys[i], FloatText(rgb[i]));
        return true;
    }
    default:
        return true;
    }
}

// The table's option that `word` (one dash, no value) names, and whether it was the --no- form of a toggle.
const OptionSpec* FindOption(const std::string& word, bool* negated)
{
    for (const OptionSpec& option : SaverOptions()) {
        if (word == std::string("-") + option.name) {
            *negated = false;
            return &option;
        }
        if (option.kind == OptionKind::Toggle && word == std::string("-no-") + option.name) {
            *negated = true;
            return &option;
        }
    }
    return nullptr;
}

} // namespace

bool ParseWindowId(const std::string& text, unsigned long* id)
{
    long value = 0;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (!ParseLong(hex ? text.substr(2) : text, &value, hex ? 16 : 10) || value <= 0 || value > 0xFFFFFFFFL)
        return false;
    *id = static_cast<unsigned long>(value);
    return true;
}

std::string UsageText()
{
    std::string text =
        "usage: inkspin [-window] [-root [--ignore-input]] [-window-id ID] [SETTINGS] [--fps] [--delay MICROSECONDS]\n"
        "       inkspin --background [SETTINGS] [--fps] [--delay MICROSECONDS]\n"
        "       inkspin --render DIR [--frames N] [--size WxH] [--rate HZ] [SETTINGS] [--fps]\n"
        "       inkspin --help | --version\n"
        "\n"
        "  -window          run in a window of its own (the default); q or Esc ends it\n"
        "  -root            X11: draw on the root window, or on $XSCREENSAVER_WINDOW when that is set;\n"
        "                   Wayland: cover every output until a key, a click or the pointer moving\n"
        "  -window-id ID    draw into an existing X11 window (decimal or 0x hex)\n"
        "  --background     Wayland: a live wallpaper under the windows of every output\n"
        "                   -window-id wins over --background, that over -root, and -root over -window\n"
        "  --ignore-input   Wayland -root: keep running through input (for a locker that draws it)\n"
        "  --render DIR     render frames headless into DIR/frame-0000.png ... (no display needed)\n"
        "  --frames N       number of frames to render, 1 to 100000000 (default 300)\n"
        "  --size WxH       frame size in pixels, each side 1 to 16384 (default 1280x720)\n"
        "  --rate HZ        simulated host calls per second, 0.01 to 1000 (default 67)\n"
        "\n"
        "Settings, for this run only (the preferences file is left as it is):\n";
    for (const OptionSpec& option : SaverOptions()) {
        std::string name = std::string("  --") + option.name;
        if (option.kind == OptionKind::Toggle)
            name += ", --no-" + std::string(option.name);
        else if (*option.valueName != '\0')
            name += std::string(" ") + option.valueName;
        std::string help = option.help;
        if (option.kind == OptionKind::Decimal || option.kind == OptionKind::Whole)
            help += " (" + RangeText(option) + ", default " + DefaultText(option) + ")";
        else if (option.kind == OptionKind::Colour)
            help += " (default " + DefaultText(option) + ")";
        else if (option.kind == OptionKind::Toggle)
            help += std::string(" (default ") + (option.defaultValue != 0.0 ? "on" : "off") + ")";
        text += name.size() < 26 ? name + std::string(26 - name.size(), ' ') : name + "\n" + std::string(26, ' ');
        text += help + "\n";
    }
    text += "\n"
            "A COLOUR is r,g,b with each part from 0 to 1, or #rrggbb (quoted where a shell reads it). Every\n"
            "option may be written with one dash or two. Settings come from the command line, then from\n"
            "${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.saver.conf, then the built-in defaults; change\n"
            "the file with inkspin-settings, a window with a live preview and the Options sheet.\n";
    return text;
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* result, std::string* error)
{
    CommandLine line;
    bool render = false, root = false, window = false, windowId = false, background = false, renderOnly = false;
    std::string renderOnlyOption, windowOption;
    std::map<std::string, std::string> seen; // option (one dash, the no- of a toggle dropped) -> as spelled
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& spelled = arguments[i];
        std::string option = spelled;
        if (option.rfind("--", 0) == 0)
            option = option.substr(1); // every option also spelled with two dashes
        bool negated = false;
        const OptionSpec* tabled = FindOption(option, &negated);
        const std::string base = tabled != nullptr ? std::string("-") + tabled->name : option;
        // Hosts add -root (and lockers -window) to whatever the user wrote: those repeat harmlessly.
        if (seen.count(base) != 0 && option != "-root" && option != "-window") {
            // --fps after -fps is the same option twice, not two that contradict each other.
            const std::string& before = seen[base];
            const bool same = (before.rfind("--", 0) == 0 ? before.substr(1) : before) == option;
            *error = Printable(spelled) + (same ? ": given twice" : ": cannot be combined with " + Printable(before));
            return false;
        }
        seen[base] = spelled;
        auto value = [&](std::string* out) {
            if (i + 1 >= arguments.size()) {
                *error = Printable(spelled) + ": a value is missing";
                return false;
            }
            *out = arguments[++i];
            return true;
        };
        std::string text;
        if (option == "-help" || option == "-h") {
            result->mode = RunMode::Help;
            return true;
        } else if (option == "-version") {
            result->mode = RunMode::Version;
            return true;
        } else if (tabled != nullptr) {
            if (tabled->kind == OptionKind::Toggle) {
                line.settings.emplace_back(tabled->keys[0], negated ? "false" : "true");
            } else if (tabled->kind == OptionKind::Switch) {
                line.showFrameRate = true; // --fps, the one switch of the table
            } else if (!value(&text)) {
                return false;
            } else if (std::string bad; !TakeValue(*tabled, spelled, text, &line, &bad)) {
                // Hosts pass what their dialogs were given: a display saver warns and goes on without it, as stock
                // hacks do; a render, which a script asked for, refuses (below).
                line.warnings.push_back(bad);
            }
        } else if (option == "-render") {
            if (!value(&line.render.directory))
                return false;
            if (line.render.directory.empty()) {
                *error = Printable(spelled) + ": the directory is empty";
                return false;
            }
            render = true;
        } else if (option == "-frames" || option == "-size" || option == "-rate") {
            if (!value(&text))
                return false;
            renderOnly = true;
            renderOnlyOption = spelled;
            long n = 0;
            if (option == "-frames" && (!ParseLong(text, &n) || n < 1 || n > kMaxFrames)) {
                *error = Printable(spelled) + ": '" + Printable(text) + "' is not a frame count from 1 to 100000000";
                return false;
            }
            if (option == "-frames")
                line.render.frames = n;
            if (option == "-size" && !ParseSize(text, &line.render.width, &line.render.height)) {
                *error = Printable(spelled) + ": '" + Printable(text) + "' is not a size WxH with sides from 1 to 16384";
                return false;
            }
            if (option == "-rate" && !ParseDouble(text, kMinRate, kMaxRate, &line.render.rate)) {
                *error = Printable(spelled) + ": '" + Printable(text) + "' is not a rate from 0.01 to 1000 Hz";
                return false;
            }
        } else if (option == "-window" || option == "-root") {
            (option == "-root" ? root : window) = true;
            windowOption = spelled;
        } else if (option == "-background") {
            background = true;
            windowOption = spelled;
        } else if (option == "-ignore-input") {
            line.ignoreInput = true;
        } else if (option == "-window-id") {
            if (!value(&text))
                return false;
            if (!ParseWindowId(text, &line.windowId)) {
                *error = Printable(spelled) + ": '" + Printable(text) + "' is not a window id";
                return false;
            }
            windowId = true;
            windowOption = spelled;
        } else {
            *error = "'" + Printable(spelled) + "' is not an option"; // quoted: '' is an argument too
            return false;
        }
    }
    if (render && !windowOption.empty()) {
        *error = Printable(windowOption) + ": cannot be combined with --render";
        return false;
    }
    if (render && line.ignoreInput) {
        *error = "--ignore-input: cannot be combined with --render";
        return false;
    }
    if (render && !line.warnings.empty()) {
        *error = line.warnings.front();
        return false;
    }
    if (!render && renderOnly) {
        *error = Printable(renderOnlyOption) + ": only goes with --render";
        return false;
    }
    line.mode = render ? RunMode::Render
        : windowId     ? RunMode::WindowId
        : background   ? RunMode::Background
        : root         ? RunMode::Root
                       : RunMode::Window;
    line.render.showFrameRate = line.showFrameRate;
    *result = line;
    return true;
}

DisplayHost ChooseDisplayHost(const CommandLine& line, const char* xscreensaverWindow, const char* waylandDisplay,
                              const char* waylandSocket)
{
    const auto set = [](const char* value) { return value != nullptr && *value != '\0'; };
    if (line.mode == RunMode::WindowId || set(xscreensaverWindow))
        return DisplayHost::X11;
    return set(waylandDisplay) || set(waylandSocket) ? DisplayHost::Wayland : DisplayHost::X11;
}
