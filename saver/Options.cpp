#include "saver/Options.h"

#include "saver/InkspinDefaults.h"
#include "saver/InkspinView.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <type_traits>

namespace {

namespace D = InkspinDefaults;
using enum OptionKind;
using G = OptionGroup;
using H = HostOption;

constexpr double On(bool value) { return value ? 1.0 : 0.0; }

template <auto Member>
void* FieldOf(InkspinView& view)
{
    return &(view.*Member);
}

// A setting's fields (see SettingField), with the kind their type stands for.
template <auto Live, auto Saved = Live>
constexpr SettingField Field()
{
    using T = std::remove_cvref_t<decltype(std::declval<InkspinView&>().*Live)>;
    static_assert(std::is_same_v<T, std::remove_cvref_t<decltype(std::declval<InkspinView&>().*Saved)>>);
    const OptionKind kind = std::is_same_v<T, std::uint8_t> ? Toggle
        : std::is_same_v<T, float>                          ? Decimal
        : std::is_same_v<T, std::int32_t>                   ? Whole
        : std::is_same_v<T, RGBColour>                      ? Colour
                                                            : Switch;
    return {FieldOf<Live>, FieldOf<Saved>, kind};
}

// XScreenSaver's frame-rate convention: microseconds between frames. The default keeps the animation's own 1/67 s.
constexpr double kDefaultDelayMicroseconds = 14925;

// Access keys (after '&') are the sheet's: unique among its controls and the settings window's buttons (O, X, P, H).
constexpr OptionSpec kOptions[] = {
    {"window", G::Window, H::Window, Switch, "", 0, 0, 0, "", "",
     "run in a window of its own (the default); q or Esc ends it", {}, 0, {}},
    {"root", G::Window, H::Root, Switch, "", 0, 0, 0, "", "",
     "X11: draw on the root window, or on $XSCREENSAVER_WINDOW when that is set; Wayland: cover every output until a "
     "key, a click or the pointer moving",
     {}, 0, {}},
    {"window-id", G::Window, H::WindowId, WindowId, "ID", 1, 4294967295.0, 0, "", "",
     "draw into an existing X11 window (decimal or 0x hex)", {}, 0, {}},
    {"background", G::Window, H::Background, Switch, "", 0, 0, 0, "", "",
     "Wayland: a live wallpaper under the windows of every output", {}, 0, {}},
    {"ignore-input", G::Window, H::IgnoreInput, Switch, "", 0, 0, 0, "", "",
     "Wayland -root: keep running through input (for a locker that draws it)", {}, 0, {}},
    {"display", G::Window, H::Display, Text, "DISPLAY", 0, 0, 0, "", "",
     "X11: draw on this X display, not $DISPLAY's", {}, 0, {}},
    {"visual", G::Window, H::Ignored, Text, "VISUAL", 0, 0, 0, "", "",
     "taken, as XScreenSaver's hacks take it, and ignored: the saver uses its window's visual, or OpenGL's", {}, 0,
     {}},
    {"geometry", G::Window, H::Ignored, Text, "WxH+X+Y", 0, 0, 0, "", "",
     "taken and ignored: the own window opens at two thirds of the screen", {}, 0, {}},
    {"install", G::Window, H::Ignored, Switch, "", 0, 0, 0, "", "", "taken and ignored (a colour map of its own)", {},
     0, {}},
    {"noinstall", G::Window, H::Ignored, Switch, "", 0, 0, 0, "", "", "taken and ignored", {}, 0, {}},
    {"mono", G::Window, H::Ignored, Switch, "", 0, 0, 0, "", "", "taken and ignored (a monochrome screen)", {}, 0, {}},

    {"render", G::Render, H::Render, Text, "DIR", 0, 0, 0, "", "",
     "render frames headless into DIR/frame-0000.png ... (DIR made if missing, not its parents; no display needed)",
     {}, 0, {}},
    {"frames", G::Render, H::Frames, Whole, "N", 1, 100000000, 0, "", "", "number of frames to render", {}, 300, {}},
    {"size", G::Render, H::Size, Size, "WxH", 1, 16384, 0, "", "", "frame size in pixels, each side", {}, 0,
     {1280, 720}},
    // Below a hundredth of a hertz a simulated step is minutes of animation at once; above a thousand, less than a
    // tick.
    {"rate", G::Render, H::Rate, Decimal, "HZ", 0.01, 1000, 2, "", "", "simulated host calls per second", {}, 67,
     {}},

    {"zoom", G::Setting, H::Setting, Toggle, "", 0, 0, 0, "", "&Zoom the last frame into the background",
     "zoom the last frame into the background; off: a flat colour", {"InkspinBackgroundEnabled"},
     On(D::kZoomBackground), {}, Field<&InkspinView::gZoomBackground, &InkspinView::gNewZoomBackground>()},
    {"zoom-factor", G::Setting, H::Setting, Decimal, "X", 0.5, 4.0, 2, "×", "Zoom &factor",
     "zoom of the last frame behind the next; below 1, a flat border", {"InkspinBackgroundScale"}, D::kBufferScale, {},
     Field<&InkspinView::gBufferScale, &InkspinView::gNewBufferScale>()},
    {"background-colour", G::Setting, H::Setting, Colour, "COLOUR", 0, 0, 0, "", "Background colou&r",
     "the background colour",
     {"InkspinBackgroundColorRed", "InkspinBackgroundColorGreen", "InkspinBackgroundColorBlue"}, 0,
     {D::kBackgroundColor.r, D::kBackgroundColor.g, D::kBackgroundColor.b}, Field<&InkspinView::gBackgroundColor>()},
    {"outlines", G::Setting, H::Setting, Toggle, "", 0, 0, 0, "", "Draw ink o&utlines", "draw ink outlines",
     {"InkspinOutlinesEnabled"}, On(D::kDrawOutlines), {}, Field<&InkspinView::gDrawOutlines>()},
    {"outline-width", G::Setting, H::Setting, Decimal, "PIXELS", 0.5, 10.0, 2, " px", "Outline &width",
     "outline width in pixels", {"InkspinOutlinesWidth"}, D::kOutlineWidth, {}, Field<&InkspinView::gOutlineWidth>()},
    {"ink-colour", G::Setting, H::Setting, Colour, "COLOUR", 0, 0, 0, "", "&Ink colour", "the colour of the outlines",
     {"InkspinOutlinesColorRed", "InkspinOutlinesColorGreen", "InkspinOutlinesColorBlue"}, 0,
     {D::kOutlineColor.r, D::kOutlineColor.g, D::kOutlineColor.b}, Field<&InkspinView::gOutlineColor>()},
    {"shade-colour", G::Setting, H::Setting, Colour, "COLOUR", 0, 0, 0, "", "Shade &colour",
     "the colour of the lattice", {"InkspinShadeColorRed", "InkspinShadeColorGreen", "InkspinShadeColorBlue"}, 0,
     {D::kShadeColor.r, D::kShadeColor.g, D::kShadeColor.b}, Field<&InkspinView::gShadeColor>()},
    {"dark-band-end", G::Setting, H::Setting, Whole, "N", 0, 32, 0, "/32", "Dar&k band ends at",
     "end of the dark band (surfaces seen edge-on), in 32nds", {"InkspinShadeStartPosition"},
     D::kShadeStartPosition, {}, Field<&InkspinView::gShadeStartPosition>()},
    {"dark-brightness", G::Setting, H::Setting, Decimal, "X", 0.0, 1.0, 2, "", "Dark band &brightness",
     "brightness of the dark band", {"InkspinShadeStartIntensity"}, D::kShadeStartIntensity, {},
     Field<&InkspinView::gShadeStartIntensity>()},
    {"bright-band-start", G::Setting, H::Setting, Whole, "N", 0, 32, 0, "/32", "Brigh&t band starts at",
     "start of the bright band (surfaces facing you), in 32nds", {"InkspinShadeEndPosition"}, D::kShadeEndPosition, {},
     Field<&InkspinView::gShadeEndPosition>()},
    {"bright-brightness", G::Setting, H::Setting, Decimal, "X", 0.0, 1.0, 2, "", "Bright band brightn&ess",
     "brightness of the bright band", {"InkspinShadeEndIntensity"}, D::kShadeEndIntensity, {},
     Field<&InkspinView::gShadeEndIntensity>()},
    {"levels", G::Setting, H::Setting, Whole, "N", 1, 32, 0, "", "&Levels",
     "1: a flat middle band; more: a ramp, steeper with more", {"InkspinShadeLevels"}, D::kShadeLevels, {},
     Field<&InkspinView::gShadeLevels>()},

    {"fps", G::Display, H::Fps, Switch, "", 0, 0, 0, "", "Show frame rate",
     "show the frames drawn a second in the lower left corner", {}, 0, {}},
    {"delay", G::Display, H::Delay, Whole, "MICROSECONDS", 0, 100000, 0, "", "Frame rate",
     "least time between frames; the motion keeps its speed", {}, kDefaultDelayMicroseconds, {}},

    {"help", G::Program, H::Help, Switch, "", 0, 0, 0, "", "", "print this help", {}, 0, {}},
    {"version", G::Program, H::Version, Switch, "", 0, 0, 0, "", "", "print the version", {}, 0, {}},
};

// Every setting has its field, of its kind's type; no host option has one (its field's kind stays Switch). The
// kinds are compared, not the accessors: a sanitized build does not take a function's address as a constant.
static_assert(std::ranges::all_of(kOptions, [](const OptionSpec& o) {
    return o.group == G::Setting ? o.field.kind == o.kind && o.kind != Switch : o.field.kind == Switch;
}));

} // namespace

std::span<const OptionSpec> Options() { return kOptions; }

const OptionSpec* FindOption(std::string_view name)
{
    for (const OptionSpec& option : kOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

std::string PlainLabel(const OptionSpec& option)
{
    std::string label;
    for (const char* c = option.label; *c != '\0'; ++c)
        if (*c != '&')
            label += *c;
    return label;
}

std::string DefaultText(const OptionSpec& option)
{
    char text[64];
    switch (option.kind) {
    case Colour:
        // The exact built-in colour, in the form every shell and XScreenSaver's command lines pass through as it is
        // (a leading # would start a comment where a locker evaluates the command).
        std::snprintf(text, sizeof text, "%g,%g,%g", static_cast<double>(option.defaultParts[0]),
                      static_cast<double>(option.defaultParts[1]), static_cast<double>(option.defaultParts[2]));
        return text;
    case OptionKind::Size:
        std::snprintf(text, sizeof text, "%gx%g", static_cast<double>(option.defaultParts[0]),
                      static_cast<double>(option.defaultParts[1]));
        return text;
    case Decimal:
        // The shortest text that reads back as the default's float ("2", "0.6", "2.75").
        std::snprintf(text, sizeof text, "%g", static_cast<double>(static_cast<float>(option.defaultValue)));
        return text;
    case Whole:
        std::snprintf(text, sizeof text, "%ld", std::lround(option.defaultValue));
        return text;
    case Toggle:
        return option.defaultValue != 0.0 ? "on" : "off";
    default:
        return {};
    }
}

std::string RangeText(const OptionSpec& option)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.10g to %.10g", option.low, option.high);
    return text;
}
