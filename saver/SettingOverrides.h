// A command line's settings: values for this process only, over the preferences file's. Every later load of a view
// reads `text` for `key` as if the file held it, by the file's own rules (a value it cannot read counts as missing,
// and the default applies); saves never write it. Process-wide, until the process ends; main thread only.
#pragma once

#include <optional>
#include <string>

void SetSettingOverride(const std::string& key, const std::string& text);

// The text given for `key`, if any.
std::optional<std::string> SettingOverride(const std::string& key);
