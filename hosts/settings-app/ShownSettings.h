// The eighteen settings as a view shows them, to compare with what is stored and to put back: what the settings
// window needs to preview a sheet's changes live and to follow changes made to the file by anyone else.
#pragma once

#include "saver/InkspinView.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>

// The values bit for bit (so -0 and 0 differ, as their texts in the file do); the zoom as the view's pending choice
// while a change waits for its next frame, else as it is live.
struct ShownSettings {
    std::array<std::uint32_t, 18> bits{};
    bool operator==(const ShownSettings&) const = default;
};

ShownSettings ShownSettingsOf(const InkspinView& view);
// What the preferences file holds now, as a new view would load it.
ShownSettings StoredSettings();
// The same, a preference key each with its value as the preferences file writes it ("true", "0.6", "4").
std::map<std::string, std::string> ShownTexts(const InkspinView& view);
// Puts `settings` back into the view's fields, with the flags that make its next frame apply them.
void Show(InkspinView& view, const ShownSettings& settings);
