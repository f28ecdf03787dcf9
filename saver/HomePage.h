// The maker's home page: shown and opened by the link on the settings sheet. The one place it is written.
#pragma once

namespace InkspinHomePage {

inline constexpr const char* kURL = "https://inkspin.org/";

} // namespace InkspinHomePage
