#include "hosts/settings-app/ShownSettings.h"

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

ShownSettings ShownBy(const InkspinView& view)
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
    return ShownBy(stored); // a load fills the live zoom fields, with nothing pending
}

void Show(InkspinView& view, const ShownSettings& settings)
{
    std::size_t i = 0;
    EachField(view, [&](auto& field) { field = FromBits<std::remove_reference_t<decltype(field)>>(settings.bits[i++]); });
    view.gGenerateNewShade = 1;
    view.gSettingsChanged = 1;
}
