#include "hosts/settings-app/ShownSettings.h"

#include "platform/PreferencesStore.h"
#include "saver/SettingFields.h"

#include <bit>
#include <type_traits>

namespace {

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
    // Nothing pending: the live zoom is what shows (the pending fields may be unset).
    ForEachSettingField(view, view.gSettingsChanged != 0,
                        [&](const OptionSpec&, int, const auto& field) { settings.bits[i++] = Bits(field); });
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
    ForEachSettingField(view, true, [&](const OptionSpec& row, int part, const auto& field) {
        texts[row.keys[part]] = Text(FromBits<std::remove_cvref_t<decltype(field)>>(shown.bits[i++]));
    });
    return texts;
}

void Show(InkspinView& view, const ShownSettings& settings)
{
    std::size_t i = 0;
    ForEachSettingField(view, true, [&](const OptionSpec&, int, auto& field) {
        field = FromBits<std::remove_reference_t<decltype(field)>>(settings.bits[i++]);
    });
    view.gGenerateNewShade = 1;
    view.gSettingsChanged = 1;
}
