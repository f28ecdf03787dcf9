#include "hosts/inkspin/CommandLine.h"

#include "platform/PreferencesStore.h"
#include "support/text/HelpColumns.h"
#include "support/text/Printable.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

using inkspin::Printable;
using enum OptionKind;

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

bool ParseWhole(const std::string& text, const OptionSpec& option, long* value)
{
    return ParseLong(text, value) && *value >= option.low && *value <= option.high;
}

bool ParseSize(const std::string& text, const OptionSpec& option, int* width, int* height)
{
    const std::size_t x = text.find('x');
    long w = 0, h = 0;
    if (x == std::string::npos || !ParseWhole(text.substr(0, x), option, &w)
        || !ParseWhole(text.substr(x + 1), option, &h))
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

// A row of the options table that no field and no preference key takes (a new host option not yet given its
// field): refused with a line that says so, rather than stored under no key.
bool Unplaced(const std::string& spelled, std::string* error)
{
    *error = Printable(spelled) + ": known but not taken by this inkspin (a fault of the program: please report it)";
    return false;
}

// Takes the value of an option that has one into `line`: a setting's into its keys, a host option's into its field.
// False, with the reason, when the text is not a value of the option's kind and range.
bool TakeValue(const CommandOption& entry, const std::string& spelled, const std::string& text, CommandLine* line,
               std::string* error)
{
    const OptionSpec& option = *entry.row;
    const std::string quoted = spelled + ": '" + Printable(text) + "' ";
    double decimal = 0.0;
    long whole = 0;
    float rgb[3];
    switch (option.kind) {
    case Decimal:
        if (!ParseDouble(text, option.low, option.high, &decimal)) {
            *error = quoted + "is not a number from " + RangeText(option);
            return false;
        }
        if (entry.host == HostOption::Rate)
            line->render.rate = decimal;
        else if (entry.host == HostOption::Setting && option.keys[0] != nullptr)
            line->settings.emplace_back(option.keys[0], PreferencesFloatText(static_cast<float>(decimal)));
        else
            return Unplaced(spelled, error);
        return true;
    case Whole:
        if (!ParseWhole(text, option, &whole)) {
            *error = quoted + "is not a whole number from " + RangeText(option);
            return false;
        }
        if (entry.host == HostOption::Frames)
            line->render.frames = whole;
        else if (entry.host == HostOption::Delay)
            line->delayMicroseconds = whole;
        else if (entry.host == HostOption::Setting && option.keys[0] != nullptr)
            line->settings.emplace_back(option.keys[0], std::to_string(whole));
        else
            return Unplaced(spelled, error);
        return true;
    case Colour:
        if (!ParseColour(text, rgb)) {
            *error = quoted + "is not a colour: #rrggbb, or r,g,b with each from 0 to 1";
            return false;
        }
        if (entry.host != HostOption::Setting || option.keys[2] == nullptr)
            return Unplaced(spelled, error);
        for (int i = 0; i < 3; ++i)
            line->settings.emplace_back(option.keys[i], PreferencesFloatText(rgb[i]));
        return true;
    case Size:
        if (!ParseSize(text, option, &line->render.width, &line->render.height)) {
            *error = quoted + "is not a size WxH with sides from " + RangeText(option);
            return false;
        }
        return true;
    case WindowId:
        if (!ParseWindowId(text, &line->windowId)) {
            *error = quoted + "is not a window id";
            return false;
        }
        return true;
    case Text:
        if (text.empty()) {
            *error = spelled + ": the value is empty";
            return false;
        }
        if (entry.host == HostOption::Render)
            line->render.directory = text;
        else if (entry.host == HostOption::Display)
            line->display = text;
        return true;
    default:
        return true;
    }
}

// The option `word` names (one dash, no value), and whether it was the --no- form of a toggle.
const CommandOption* Lookup(const std::string& word, bool* negated)
{
    *negated = false;
    if (word.size() < 2 || word[0] != '-')
        return nullptr;
    const std::string name = word == "-h" ? "help" : word.substr(1);
    if (const CommandOption* option = FindCommandOption(name))
        return option;
    const CommandOption* option = name.rfind("no-", 0) == 0 ? FindCommandOption(name.substr(3)) : nullptr;
    *negated = option != nullptr && option->row->kind == Toggle;
    return *negated ? option : nullptr;
}

// The options of one group for --help: the name, its value, and its line with range and default, in two columns.
std::string HelpLines(OptionGroup group)
{
    std::vector<std::pair<std::string, std::string>> rows;
    for (const CommandOption& option : CommandOptions()) {
        if (option.group != group)
            continue;
        const auto [name, negated, value] = WordsOf(*option.row);
        const std::string facts = FactsOf(option);
        rows.emplace_back("  " + name + (!negated.empty() ? ", " + negated : !value.empty() ? " " + value : ""),
                          option.row->help + (facts.empty() ? "" : " (" + facts + ")"));
    }
    return inkspin::HelpColumns(rows);
}

} // namespace

DisplayRequest DisplayRequestOf(const CommandLine& line)
{
    DisplayRequest request;
    request.target = line.mode == RunMode::Root ? DisplayTarget::Root
        : line.mode == RunMode::WindowId        ? DisplayTarget::WindowId
        : line.mode == RunMode::Background      ? DisplayTarget::Background
                                                : DisplayTarget::OwnWindow;
    request.windowId = line.windowId;
    request.delayMicroseconds = line.delayMicroseconds;
    request.showFrameRate = line.showFrameRate;
    request.ignoreInput = line.ignoreInput;
    return request;
}

std::string UsageText()
{
    return "usage: inkspin [-window] [-root [--ignore-input]] [-window-id ID] [SETTINGS] [--fps] "
           "[--delay MICROSECONDS]\n"
           "       inkspin --background [SETTINGS] [--fps] [--delay MICROSECONDS]\n"
           "       inkspin --render DIR [--frames N] [--size WxH] [--rate HZ] [SETTINGS] [--fps]\n"
           "       inkspin --help | --version\n"
           "\n"
        + HelpLines(OptionGroup::Window)
        + "                          -window-id wins over --background, that over -root, and -root over -window\n"
        + HelpLines(OptionGroup::Render) + HelpLines(OptionGroup::Program)
        + "\nSettings, for this run only (the preferences file is left as it is):\n" + HelpLines(OptionGroup::Setting)
        + HelpLines(OptionGroup::Display)
        + "\n"
          "A COLOUR is r,g,b with each part from 0 to 1, or #rrggbb (quoted where a shell reads it). Every\n"
          "option may be written with one dash or two. Settings come from the command line, then from\n"
          "${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.saver.conf, then the built-in defaults; change\n"
          "the file with inkspin-settings, a window with a live preview and the Options sheet.\n";
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* result, std::string* error)
{
    CommandLine line;
    for (const CommandOption& option : CommandOptions()) {
        const OptionSpec& row = *option.row;
        if (option.host == HostOption::Frames) {
            line.render.frames = std::lround(row.defaultValue);
        } else if (option.host == HostOption::Size) {
            line.render.width = static_cast<int>(row.defaultParts[0]);
            line.render.height = static_cast<int>(row.defaultParts[1]);
        } else if (option.host == HostOption::Rate) {
            line.render.rate = row.defaultValue;
        } else if (option.host == HostOption::Delay) {
            line.delayMicroseconds = std::lround(row.defaultValue);
        }
    }
    bool render = false, root = false, windowId = false, background = false;
    std::string renderOnlyOption, windowOption;
    std::map<std::string, std::string> seen; // option (one dash, the no- of a toggle dropped) -> as spelled
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& spelled = arguments[i];
        std::string option = spelled;
        if (option.rfind("--", 0) == 0)
            option = option.substr(1); // every option also spelled with two dashes
        bool negated = false;
        const CommandOption* entry = Lookup(option, &negated);
        if (entry == nullptr) {
            *error = "'" + Printable(spelled) + "' is not an option"; // quoted: '' is an argument too
            return false;
        }
        const HostOption host = entry->host;
        const std::string base = std::string("-") + entry->row->name;
        // Hosts add -root (and lockers -window) to whatever the user wrote: those repeat harmlessly.
        if (seen.count(base) != 0 && host != HostOption::Root && host != HostOption::Window) {
            // --fps after -fps is the same option twice, not two that contradict each other.
            const std::string& before = seen[base];
            const bool same = (before.rfind("--", 0) == 0 ? before.substr(1) : before) == option;
            *error = Printable(spelled) + (same ? ": given twice" : ": cannot be combined with " + Printable(before));
            return false;
        }
        seen[base] = spelled;
        std::string text;
        if (entry->row->kind != Switch && entry->row->kind != Toggle) {
            if (i + 1 >= arguments.size()) {
                *error = Printable(spelled) + ": a value is missing";
                return false;
            }
            text = arguments[++i];
        }
        switch (host) {
        case HostOption::Help:
        case HostOption::Version:
            result->mode = host == HostOption::Help ? RunMode::Help : RunMode::Version;
            return true;
        case HostOption::Setting:
        case HostOption::Delay:
            if (entry->row->kind == Toggle) {
                line.settings.emplace_back(entry->row->keys[0], negated ? "false" : "true");
            } else if (std::string bad; !TakeValue(*entry, spelled, text, &line, &bad)) {
                // Hosts pass what their dialogs were given: a display saver warns and goes on without it, as stock
                // hacks do; a render, which a script asked for, refuses (below).
                line.warnings.push_back(bad);
            }
            break;
        case HostOption::Fps:
            line.showFrameRate = true;
            break;
        case HostOption::IgnoreInput:
            line.ignoreInput = true;
            break;
        default: // the window and render options
            if (!TakeValue(*entry, spelled, text, &line, error))
                return false;
            if (entry->group == OptionGroup::Window)
                windowOption = spelled;
            else if (host != HostOption::Render)
                renderOnlyOption = spelled;
            render = render || host == HostOption::Render;
            root = root || host == HostOption::Root;
            windowId = windowId || host == HostOption::WindowId;
            background = background || host == HostOption::Background;
            break;
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
    if (!render && !renderOnlyOption.empty()) {
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
    if (line.mode == RunMode::WindowId || set(xscreensaverWindow) || !line.display.empty())
        return DisplayHost::X11;
    return set(waylandDisplay) || set(waylandSocket) ? DisplayHost::Wayland : DisplayHost::X11;
}
