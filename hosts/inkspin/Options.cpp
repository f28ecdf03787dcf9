#include "hosts/inkspin/Options.h"

#include "saver/InkspinDefaults.h"
#include "saver/PreferenceKeys.h"

#include <cmath>
#include <cstdio>

namespace {

namespace D = InkspinDefaults;
namespace K = PreferenceKeys;
using enum OptionKind;

constexpr double On(bool value) { return value ? 1.0 : 0.0; }

const OptionSpec kOptions[] = {
    {"zoom", Toggle, "", 0, 0, 0, "Zoom the last frame into the background",
     "zoom the last frame into the background; off: a flat colour", {K::kBackgroundEnabled},
     On(D::kZoomBackground), {}},
    {"zoom-factor", Decimal, "X", 0.5, 4.0, 2, "Zoom factor",
     "zoom of the last frame behind the next; below 1, a flat border", {K::kBackgroundScale},
     D::kBufferScale, {}},
    {"background-colour", Colour, "COLOUR", 0, 0, 0, "Background colour", "the background colour",
     {K::kBackgroundColorRed, K::kBackgroundColorGreen, K::kBackgroundColorBlue}, 0,
     {D::kBackgroundColor.r, D::kBackgroundColor.g, D::kBackgroundColor.b}},
    {"outlines", Toggle, "", 0, 0, 0, "Draw ink outlines", "draw ink outlines",
     {K::kOutlinesEnabled}, On(D::kDrawOutlines), {}},
    {"outline-width", Decimal, "PIXELS", 0.5, 10.0, 2, "Outline width", "outline width in pixels",
     {K::kOutlinesWidth}, D::kOutlineWidth, {}},
    {"ink-colour", Colour, "COLOUR", 0, 0, 0, "Ink colour", "the colour of the outlines",
     {K::kOutlinesColorRed, K::kOutlinesColorGreen, K::kOutlinesColorBlue}, 0,
     {D::kOutlineColor.r, D::kOutlineColor.g, D::kOutlineColor.b}},
    {"shade-colour", Colour, "COLOUR", 0, 0, 0, "Shade colour", "the colour of the lattice",
     {K::kShadeColorRed, K::kShadeColorGreen, K::kShadeColorBlue}, 0,
     {D::kShadeColor.r, D::kShadeColor.g, D::kShadeColor.b}},
    {"dark-band-end", Whole, "N", 0, 32, 0, "Dark band ends at",
     "end of the dark band (surfaces seen edge-on), in 32nds", {K::kShadeStartPosition},
     D::kShadeStartPosition, {}},
    {"dark-brightness", Decimal, "X", 0.0, 1.0, 2, "Dark band brightness", "brightness of the dark band",
     {K::kShadeStartIntensity}, D::kShadeStartIntensity, {}},
    {"bright-band-start", Whole, "N", 0, 32, 0, "Bright band starts at",
     "start of the bright band (surfaces facing you), in 32nds", {K::kShadeEndPosition},
     D::kShadeEndPosition, {}},
    {"bright-brightness", Decimal, "X", 0.0, 1.0, 2, "Bright band brightness",
     "brightness of the bright band", {K::kShadeEndIntensity}, D::kShadeEndIntensity, {}},
    {"levels", Whole, "N", 1, 32, 0, "Levels",
     "1: a flat middle band; more: a ramp, steeper with more", {K::kShadeLevels},
     D::kShadeLevels, {}},
    {"fps", Switch, "", 0, 0, 0, "Show frame rate", "show the frames drawn a second in the lower left corner", {}, 0,
     {}},
    {"delay", Whole, "MICROSECONDS", 0, 100000, 0, "Frame rate",
     "least time between frames; the motion keeps its speed", {},
     kDefaultDelayMicroseconds, {}},
};

} // namespace

std::span<const OptionSpec> SaverOptions() { return kOptions; }

std::string DefaultText(const OptionSpec& option)
{
    char text[64];
    switch (option.kind) {
    case Colour:
        // The exact built-in colour, in the form every shell and XScreenSaver's command lines pass through as it is
        // (a leading # would start a comment where a locker evaluates the command).
        std::snprintf(text, sizeof text, "%g,%g,%g", static_cast<double>(option.defaultColour[0]),
                      static_cast<double>(option.defaultColour[1]), static_cast<double>(option.defaultColour[2]));
        return text;
    case Decimal:
        // The shortest text that reads back as the default's float ("2", "0.6", "2.75").
        std::snprintf(text, sizeof text, "%g", static_cast<double>(static_cast<float>(option.defaultValue)));
        return text;
    default:
        std::snprintf(text, sizeof text, "%ld", std::lround(option.defaultValue));
        return text;
    }
}
