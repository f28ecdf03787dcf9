// The saver's preferences domain. Its eighteen keys ("Inkspin" + group + item) stand in the options table beside
// the settings they hold (saver/SettingOptions.cpp), with their defaults and their fields in the view.
#pragma once

namespace PreferenceKeys {

inline constexpr const char* kDomain = "org.inkspin.saver";

} // namespace PreferenceKeys
