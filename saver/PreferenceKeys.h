// The eighteen preference keys of the saver, in the order loading and saving visit them, and its domain.
// Every key is "Inkspin" + group + item. Keys 1 and 2 are loaded into the live zoom fields but saved from the
// pending ones the settings sheet sets, so the store holds the sheet's choice before the next frame applies it.
#pragma once

namespace PreferenceKeys {

inline constexpr const char* kDomain = "org.inkspin.saver";

inline constexpr const char* kBackgroundEnabled = "InkspinBackgroundEnabled";       // boolean
inline constexpr const char* kBackgroundScale = "InkspinBackgroundScale";           // float, zoom factor
inline constexpr const char* kBackgroundColorRed = "InkspinBackgroundColorRed";     // float 0..1
inline constexpr const char* kBackgroundColorGreen = "InkspinBackgroundColorGreen"; // float 0..1
inline constexpr const char* kBackgroundColorBlue = "InkspinBackgroundColorBlue";   // float 0..1
inline constexpr const char* kOutlinesColorRed = "InkspinOutlinesColorRed";         // float 0..1
inline constexpr const char* kOutlinesColorGreen = "InkspinOutlinesColorGreen";     // float 0..1
inline constexpr const char* kOutlinesColorBlue = "InkspinOutlinesColorBlue";       // float 0..1
inline constexpr const char* kOutlinesWidth = "InkspinOutlinesWidth";               // float, pixels
inline constexpr const char* kOutlinesEnabled = "InkspinOutlinesEnabled";           // boolean
inline constexpr const char* kShadeColorRed = "InkspinShadeColorRed";               // float 0..1
inline constexpr const char* kShadeColorGreen = "InkspinShadeColorGreen";           // float 0..1
inline constexpr const char* kShadeColorBlue = "InkspinShadeColorBlue";             // float 0..1
inline constexpr const char* kShadeStartPosition = "InkspinShadeStartPosition";     // integer, texel index
inline constexpr const char* kShadeEndPosition = "InkspinShadeEndPosition";         // integer, texel index
inline constexpr const char* kShadeStartIntensity = "InkspinShadeStartIntensity";   // float 0..1
inline constexpr const char* kShadeEndIntensity = "InkspinShadeEndIntensity";       // float 0..1
inline constexpr const char* kShadeLevels = "InkspinShadeLevels";                   // integer

} // namespace PreferenceKeys
