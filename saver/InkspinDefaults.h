// The eighteen settings' built-in defaults, in one place: loading preferences takes them for missing keys, and the
// settings sheet's Defaults action puts them into its controls. Colours and intensities are on a 0 to 1 scale;
// positions are texel indices of the 32-texel shade texture; the width is in pixels.
#pragma once

#include "saver/RGBColour.h"

#include <cstdint>

namespace InkspinDefaults {

inline constexpr bool kZoomBackground = true;
inline constexpr float kBufferScale = 2.0f;
inline constexpr RGBColour kBackgroundColor = {0.6f, 0.52f, 0.45f};
inline constexpr RGBColour kOutlineColor = {0.33f, 0.28f, 0.23f};
inline constexpr float kOutlineWidth = 2.75f;
inline constexpr bool kDrawOutlines = true;
inline constexpr RGBColour kShadeColor = {1.0f, 0.85f, 0.71f};
inline constexpr std::int32_t kShadeStartPosition = 4;
inline constexpr std::int32_t kShadeEndPosition = 20;
inline constexpr float kShadeStartIntensity = 0.6f;
inline constexpr float kShadeEndIntensity = 1.0f;
inline constexpr std::int32_t kShadeLevels = 1;

} // namespace InkspinDefaults
