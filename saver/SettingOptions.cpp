#include "saver/SettingOptions.h"

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

// Access keys (after '&') are the sheet's: unique among its controls and the settings window's buttons (O, X, P, H).
constexpr OptionSpec kSettings[] = {
    {"zoom", Toggle, "", 0, 0, 0, "", "&Zoom the last frame into the background",
     "zoom the last frame into the background; off: a flat colour", {"InkspinBackgroundEnabled"},
     On(D::kZoomBackground), {}, Field<&InkspinView::gZoomBackground, &InkspinView::gNewZoomBackground>()},
    {"zoom-factor", Decimal, "X", 0.5, 4.0, 2, "×", "Zoom &factor",
     "zoom of the last frame behind the next; below 1, a flat border", {"InkspinBackgroundScale"}, D::kBufferScale, {},
     Field<&InkspinView::gBufferScale, &InkspinView::gNewBufferScale>()},
    {"background-colour", Colour, "COLOUR", 0, 0, 0, "", "Background colou&r",
     "the background colour",
     {"InkspinBackgroundColorRed", "InkspinBackgroundColorGreen", "InkspinBackgroundColorBlue"}, 0,
     {D::kBackgroundColor.r, D::kBackgroundColor.g, D::kBackgroundColor.b}, Field<&InkspinView::gBackgroundColor>()},
    {"outlines", Toggle, "", 0, 0, 0, "", "Draw ink o&utlines", "draw ink outlines",
     {"InkspinOutlinesEnabled"}, On(D::kDrawOutlines), {}, Field<&InkspinView::gDrawOutlines>()},
    {"outline-width", Decimal, "PIXELS", 0.5, 10.0, 2, " px", "Outline &width",
     "outline width in pixels", {"InkspinOutlinesWidth"}, D::kOutlineWidth, {}, Field<&InkspinView::gOutlineWidth>()},
    {"ink-colour", Colour, "COLOUR", 0, 0, 0, "", "&Ink colour", "the colour of the outlines",
     {"InkspinOutlinesColorRed", "InkspinOutlinesColorGreen", "InkspinOutlinesColorBlue"}, 0,
     {D::kOutlineColor.r, D::kOutlineColor.g, D::kOutlineColor.b}, Field<&InkspinView::gOutlineColor>()},
    {"shade-colour", Colour, "COLOUR", 0, 0, 0, "", "Shade &colour",
     "the colour of the lattice", {"InkspinShadeColorRed", "InkspinShadeColorGreen", "InkspinShadeColorBlue"}, 0,
     {D::kShadeColor.r, D::kShadeColor.g, D::kShadeColor.b}, Field<&InkspinView::gShadeColor>()},
    {"dark-band-end", Whole, "N", 0, 32, 0, "/32", "Dar&k band ends at",
     "end of the dark band (surfaces seen edge-on), in 32nds", {"InkspinShadeStartPosition"},
     D::kShadeStartPosition, {}, Field<&InkspinView::gShadeStartPosition>()},
    {"dark-brightness", Decimal, "X", 0.0, 1.0, 2, "", "Dark band &brightness",
     "brightness of the dark band", {"InkspinShadeStartIntensity"}, D::kShadeStartIntensity, {},
     Field<&InkspinView::gShadeStartIntensity>()},
    {"bright-band-start", Whole, "N", 0, 32, 0, "/32", "Brigh&t band starts at",
     "start of the bright band (surfaces facing you), in 32nds", {"InkspinShadeEndPosition"}, D::kShadeEndPosition, {},
     Field<&InkspinView::gShadeEndPosition>()},
    {"bright-brightness", Decimal, "X", 0.0, 1.0, 2, "", "Bright band brightn&ess",
     "brightness of the bright band", {"InkspinShadeEndIntensity"}, D::kShadeEndIntensity, {},
     Field<&InkspinView::gShadeEndIntensity>()},
    {"levels", Whole, "N", 1, 32, 0, "", "&Levels",
     "1: a flat middle band; more: a ramp, steeper with more", {"InkspinShadeLevels"}, D::kShadeLevels, {},
     Field<&InkspinView::gShadeLevels>()},
};

// Every setting has its field, of its kind's type. The kinds are compared, not the accessors: a sanitized build does
// not take a function's address as a constant.
static_assert(std::ranges::all_of(kSettings,
                                   [](const OptionSpec& o) { return o.field.kind == o.kind && o.kind != Switch; }));

} // namespace

std::span<const OptionSpec> SettingOptions() { return kSettings; }

const OptionSpec* FindSettingOption(std::string_view name)
{
    for (const OptionSpec& option : kSettings)
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
