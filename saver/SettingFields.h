// The eighteen preference keys of the settings, each with its field in a view, walked in the options table's order:
// the preferences' load and save and the settings window's comparison and Cancel all walk this, so a new setting is
// a row of the table (saver/SettingOptions.cpp), a field of the view and a control of the sheet, and nothing else.
#pragma once

#include "saver/InkspinView.h"
#include "saver/SettingOptions.h"

#include <cstdint>
#include <type_traits>

// Calls visit(row, part, field) for each key: `row` the setting's row, `part` the key's index in row.keys (a
// colour's channel, else 0), `field` a reference to the view's std::uint8_t, float or std::int32_t (const for a
// const view). The live fields, or with `saved` those a save stores (the zoom's pending choice).
template <typename View, typename Visit>
void ForEachSettingField(View& view, bool saved, Visit&& visit)
{
    static_assert(std::is_same_v<std::remove_const_t<View>, InkspinView>);
    constexpr bool reading = std::is_const_v<View>;
    using Flag = std::conditional_t<reading, const std::uint8_t, std::uint8_t>;
    using Float = std::conditional_t<reading, const float, float>;
    using Whole = std::conditional_t<reading, const std::int32_t, std::int32_t>;
    using Colour = std::conditional_t<reading, const RGBColour, RGBColour>;
    auto& writable = const_cast<InkspinView&>(view); // the table's accessors take a view; a const one is only read
    for (const OptionSpec& row : SettingOptions()) {
        void* field = (saved ? row.field.saved : row.field.live)(writable);
        switch (row.kind) {
        case OptionKind::Toggle:
            visit(row, 0, *static_cast<Flag*>(field));
            break;
        case OptionKind::Decimal:
            visit(row, 0, *static_cast<Float*>(field));
            break;
        case OptionKind::Whole:
            visit(row, 0, *static_cast<Whole*>(field));
            break;
        case OptionKind::Colour: {
            auto* colour = static_cast<Colour*>(field);
            visit(row, 0, colour->r);
            visit(row, 1, colour->g);
            visit(row, 2, colour->b);
            break;
        }
        default:
            break;
        }
    }
}
