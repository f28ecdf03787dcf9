// The per-user preferences store: one value per key in an application domain (a reverse-DNS identifier).
//
// Values are typed booleans, 32-bit floats and 32-bit integers. A copy yields nothing when the key is missing or its
// stored text cannot be read as the asked kind (text where a float belongs, "maybe" for a boolean, 1.5 or
// 99999999999 for an integer, "nan" or "inf" for a float, which no setting can mean): such a key counts as missing.
// Sets are kept in memory until AppSynchronize writes them.
//
// The domain "D" lives in ${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/D.conf, INI as QSettings writes it (keys under
// [General]; booleans true/false, numbers in decimal, floats in the shortest form that reads back bit for bit).
// A save replaces the file atomically (at no moment is there no file), keeps keys that are not ours, and is locked
// against other processes saving at the same time. With neither XDG_CONFIG_HOME nor HOME set the store is empty and
// saving fails. An unreadable file (junk, a directory in its place, no permission, a FIFO or anything but a regular
// file, over 1 MiB) reads as empty, without being opened when it is no regular file or too big; a save never
// replaces a file that was not read, nor writes one that the next load could not read (over 1 MiB): it fails,
// saying why, and leaves the file as it is. A save waits about a second at most for the lock.
// The location is read from the environment at each call, so a test may point it elsewhere. Main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::optional<bool> PreferencesCopyBool(const char* key, const char* domain);
std::optional<float> PreferencesCopyFloat(const char* key, const char* domain);
std::optional<std::int32_t> PreferencesCopyInt(const char* key, const char* domain);

void PreferencesSetBool(const char* key, bool value, const char* domain);
void PreferencesSetFloat(const char* key, float value, const char* domain);
void PreferencesSetInt(const char* key, std::int32_t value, const char* domain);

// Writes pending sets to disk; the next copy rereads the file as other processes left it. False when pending sets
// could not be written, or there is no location at all, with `reason` (when given) set to one line that names the
// file and what stood in the way; "" on success. After such a failure this process's later copies still see
// the values that were not written (QSettings keeps them with its cached state of the file, and offers no way to drop
// them); other processes read the file as it is. No caller loads again after a failed save.
bool PreferencesAppSynchronize(const char* domain, std::string* reason = nullptr);

// The file that holds a domain, or an empty string when there is no location.
std::string PreferencesFilePath(const char* domain);

// A value for this process only, over the file's (a command line's settings): later copies of the key read `text`
// as if the file held it, with the same rules; sets and saves never write it. Lasts until the process ends.
void PreferencesSetOverride(const char* key, const std::string& text, const char* domain);
