#include "hosts/inkspin/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

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

bool ParseRate(const std::string& text, double* value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && *value >= kMinRate
        && *value <= kMaxRate;
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
    return "usage: inkspin [-window | -root | -window-id ID]\n"
           "       inkspin --render DIR [--frames N] [--size WxH] [--rate HZ]\n"
           "       inkspin --help | --version\n"
           "\n"
           "  -window          run in a window of its own (the default); q or Esc ends it\n"
           "  -root            draw on the root window, or on $XSCREENSAVER_WINDOW when that is set\n"
           "  -window-id ID    draw into an existing window (decimal or 0x hex)\n"
           "  --render DIR     render frames headless into DIR/frame-0000.png ... (no display needed)\n"
           "  --frames N       number of frames to render (default 300)\n"
           "  --size WxH       frame size in pixels, each side 1 to 16384 (default 1280x720)\n"
           "  --rate HZ        simulated host calls per second, 0.01 to 1000 (default 67)\n"
           "\n"
           "Every option may be written with one dash or two. Settings come from\n"
           "${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.saver.conf; change them\n"
           "with inkspin-settings, a window with a live preview and the Options sheet.\n";
}

bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* result, std::string* error)
{
    CommandLine line;
    bool render = false, window = false, frames = false, size = false, rate = false;
    std::string windowOption;     // the window option given, to name it in a conflict
    std::vector<std::string> seen; // options given so far, spelled with one dash
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i];
        if (option.rfind("--", 0) == 0)
            option = option.substr(1); // every option also spelled with two dashes
        // The last of two conflicting options must not win silently.
        const bool windowMode = option == "-window" || option == "-root" || option == "-window-id";
        if (windowMode && !windowOption.empty()) {
            *error = arguments[i] + ": cannot be combined with " + windowOption;
            return false;
        }
        if (std::find(seen.begin(), seen.end(), option) != seen.end()) {
            *error = arguments[i] + ": given twice";
            return false;
        }
        seen.push_back(option);
        if (windowMode)
            windowOption = arguments[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= arguments.size()) {
                *error = arguments[i] + ": a value is missing";
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
        } else if (option == "-render") {
            if (!value(&line.render.directory))
                return false;
            if (line.render.directory.empty()) {
                *error = arguments[i - 1] + ": the directory is empty";
                return false;
            }
            render = true;
            line.mode = RunMode::Render;
        } else if (option == "-frames") {
            long n = 0;
            if (!value(&text))
                return false;
            if (!ParseLong(text, &n) || n < 1 || n > kMaxFrames) {
                *error = arguments[i - 1] + ": '" + text + "' is not a frame count from 1 to 100000000";
                return false;
            }
            line.render.frames = n;
            frames = true;
        } else if (option == "-size") {
            if (!value(&text))
                return false;
            if (!ParseSize(text, &line.render.width, &line.render.height)) {
                *error = arguments[i - 1] + ": '" + text + "' is not a size WxH with sides from 1 to 16384";
                return false;
            }
            size = true;
        } else if (option == "-rate") {
            if (!value(&text))
                return false;
            if (!ParseRate(text, &line.render.rate)) {
                *error = arguments[i - 1] + ": '" + text + "' is not a rate from 0.01 to 1000 Hz";
                return false;
            }
            rate = true;
        } else if (option == "-window") {
            line.mode = RunMode::Window;
            window = true;
        } else if (option == "-root") {
            line.mode = RunMode::Root;
            window = true;
        } else if (option == "-window-id") {
            if (!value(&text))
                return false;
            if (!ParseWindowId(text, &line.windowId)) {
                *error = arguments[i - 1] + ": '" + text + "' is not a window id";
                return false;
            }
            line.mode = RunMode::WindowId;
            window = true;
        } else {
            *error = arguments[i] + ": unknown option; usage: inkspin [-window | -root | -window-id ID] or "
                                    "inkspin --render DIR [--frames N] [--size WxH] [--rate HZ]";
            return false;
        }
    }
    if (render && window) {
        *error = "--render: cannot be combined with a window option";
        return false;
    }
    if (!render && (frames || size || rate)) {
        *error = std::string(frames ? "--frames" : size ? "--size" : "--rate") + ": only goes with --render";
        return false;
    }
    *result = line;
    return true;
}
