// Loading and saving the eighteen settings. Each view loads once, when it is created; only the settings sheet's
// Save stores them. The store gives finite numbers only; no value is range-checked or related to another here: the
// shade texture raises an end position below its start, and the drawing keeps every value OpenGL can take.
#include "saver/InkspinView.h"

#include "platform/PreferencesStore.h"
#include "saver/PreferenceKeys.h"
#include "saver/SettingFields.h"
#include "saver/SettingOverrides.h"

#include <cmath>
#include <map>
#include <type_traits>

using PreferenceKeys::kDomain;

namespace {

std::map<std::string, std::string>& Overrides()
{
    static std::map<std::string, std::string> overrides;
    return overrides;
}

} // namespace

void SetSettingOverride(const std::string& key, const std::string& text) { Overrides()[key] = text; }

std::optional<std::string> SettingOverride(const std::string& key)
{
    const auto found = Overrides().find(key);
    return found != Overrides().end() ? std::optional(found->second) : std::nullopt;
}

void InkspinView::loadPrefs()
{
    if (gPrefsLoaded)
        return;
    PreferencesAppSynchronize(kDomain); // see what other processes saved since this process last looked
    ForEachSettingField(*this, false, [](const OptionSpec& row, int part, auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        const char* key = row.keys[part];
        const std::optional<std::string> given = SettingOverride(key); // the command line's, over the file's
        if constexpr (std::is_same_v<T, std::uint8_t>)
            field = (given ? PreferencesParseBool(*given) : PreferencesCopyBool(key, kDomain))
                        .value_or(row.defaultValue != 0.0) ? 1 : 0;
        else if constexpr (std::is_same_v<T, float>)
            field = (given ? PreferencesParseFloat(*given) : PreferencesCopyFloat(key, kDomain))
                        .value_or(row.kind == OptionKind::Colour ? row.defaultParts[part]
                                                                 : static_cast<float>(row.defaultValue));
        else
            field = (given ? PreferencesParseInt(*given) : PreferencesCopyInt(key, kDomain))
                        .value_or(static_cast<std::int32_t>(std::lround(row.defaultValue)));
    });
    gPrefsLoaded = 1;
}

bool InkspinView::savePrefs(std::string* reason)
{
    ForEachSettingField(*this, true, [](const OptionSpec& row, int part, auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        if constexpr (std::is_same_v<T, std::uint8_t>)
            PreferencesSetBool(row.keys[part], field != 0, kDomain);
        else if constexpr (std::is_same_v<T, float>)
            PreferencesSetFloat(row.keys[part], field, kDomain);
        else
            PreferencesSetInt(row.keys[part], field, kDomain);
    });
    return PreferencesAppSynchronize(kDomain, reason); // a failure leaves the fields as they are
}
