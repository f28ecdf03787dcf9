#include "hosts/settings-app/ShownSettings.h"

#include "platform/PreferencesStore.h"
#include "saver/PreferenceKeys.h"

#include <bit>
#include <type_traits>

namespace {

// Every field of the eighteen, in one order; `visit` gets each by reference.
template <typename View, typename Visit>
void EachField(View& view, Visit&& visit)
{
    visit(view.gNewZoomBackground);
    visit(view.gNewBufferScale);
    for (auto* colour : {&view.gBackgroundColor, &view.gOutlineColor, &view.gShadeColor}) {
        visit(colour->r);
        visit(colour->g);
        visit(colour->b);
    }
    visit(view.gOutlineWidth);
    visit(view.gDrawOutlines);
    visit(view.gShadeStartPosition);
    visit(view.gShadeEndPosition);
    visit(view.gShadeStartIntensity);
    visit(view.gShadeEndIntensity);
    visit(view.gShadeLevels);
}

// The preference keys of the fields, in EachField's order.
namespace K = PreferenceKeys;
const char* const kKeys[18] = {
    K::kBackgroundEnabled,   K::kBackgroundScale,
    K::kBackgroundColorRed,  K::kBackgroundColorGreen, K::kBackgroundColorBlue,
    K::kOutlinesColorRed,    K::kOutlinesColorGreen,   K::kOutlinesColorBlue,
    K::kShadeColorRed,       K::kShadeColorGreen,      K::kShadeColorBlue,
    K::kOutlinesWidth,       K::kOutlinesEnabled,      K::kShadeStartPosition,
    K::kShadeEndPosition,    K::kShadeStartIntensity,  K::kShadeEndIntensity,
    K::kShadeLevels,
};

std::string Text(std::uint8_t flag) { return PreferencesBoolText(flag != 0); }
std::string Text(std::int32_t whole) { return std::to_string(whole); }
std::string Text(float value) { return PreferencesFloatText(value); }

template <typename T>
std::uint32_t Bits(T value)
{
    if constexpr (sizeof(T) == 4)
        return std::bit_cast<std::uint32_t>(value);
    else
        return value;
}

template <typename T>
T FromBits(std::uint32_t bits)
{
    if constexpr (sizeof(T) == 4)
        return std::bit_cast<T>(bits);
    else
        return static_cast<T>(bits);
}

} // namespace

ShownSettings ShownSettingsOf(const InkspinView& view)
{
    ShownSettings settings;
    std::size_t i = 0;
    EachField(view, [&](const auto& field) { settings.bits[i++] = Bits(field); });
    if (!view.gSettingsChanged) { // nothing pending: the live zoom is what shows (the pending fields may be unset)
        settings.bits[0] = Bits(view.gZoomBackground);
        settings.bits[1] = Bits(view.gBufferScale);
    }
    return settings;
}

ShownSettings StoredSettings()
{
    InkspinView stored;
    stored.loadPrefs();
    return ShownSettingsOf(stored); // a load fills the live zoom fields, with nothing pending
}

std::map<std::string, std::string> ShownTexts(const InkspinView& view)
{
    const ShownSettings shown = ShownSettingsOf(view);
    std::map<std::string, std::string> texts;
    std::size_t i = 0;
    EachField(view, [&](const auto& field) {
        texts[kKeys[i]] = Text(FromBits<std::remove_cvref_t<decltype(field)>>(shown.bits[i]));
        ++i;
    });
    return texts;
}

void Show(InkspinView& view, const ShownSettings& settings)
{
    std::size_t i = 0;
    EachField(view, [&](auto& field) { field = FromBits<std::remove_reference_t<decltype(field)>>(settings.bits[i++]); });
    view.gGenerateNewShade = 1;
    view.gSettingsChanged = 1;
}
