// The per-user preferences store: one value per key in an application domain (a reverse-DNS identifier).
//
// Values are typed booleans, 32-bit floats and 32-bit integers. A copy yields nothing when the key is missing or its
// stored text cannot be read as the asked kind (text where a float belongs, "maybe" for a boolean, 1.5 or
// 99999999999 for an integer, "nan" or "inf" for a float, which no setting can mean): such a key counts as missing.
// Sets are kept in memory until AppSynchronize writes them.
//
// The domain "D" lives in ${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/D.conf, INI as QSettings writes it (keys under
// [General]; booleans true/false, 1/0 read too as QSettings reads them; numbers in decimal, floats in the shortest
// form that reads back bit for bit). Only a regular file of at most 1 MiB is read (through a symbolic link too);
// anything else (junk aside, which reads as far as it makes sense) reads as empty, and a FIFO or device is never
// waited for. With neither XDG_CONFIG_HOME nor HOME an absolute path the store is empty and saving fails. The
// location is read from the environment at each call, so a test may point it elsewhere. Main thread only.
//
// A save takes the lock file beside the file (D.conf.lock, QSettings' own), waiting a second at most; reads the file
// again under it; sets our keys in its text, leaving every other line as it was (other programs' keys, comments);
// writes the result to a new file beside it, checking every write, flushes it to the disk and renames it over the old
// one, so the path holds the old file or the whole new one at every moment. It fails, saying why and changing
// nothing, when the file cannot be read (not a regular file, a symbolic link, over 1 MiB, no permission), when its
// owner made it read-only (no owner write bit, even for root), when the result would be over 1 MiB, and when any step
// fails (a full disk is named as such). Temporary files of saves that were killed half-way are removed by the next
// save. A lock that names no owner, or a dead owner of this host, is broken at once; one that cannot be removed is
// named with the way out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

std::optional<bool> PreferencesCopyBool(const char* key, const char* domain);
std::optional<float> PreferencesCopyFloat(const char* key, const char* domain);
std::optional<std::int32_t> PreferencesCopyInt(const char* key, const char* domain);

// A stored text read as a copy reads it (blanks at both ends dropped), for values from elsewhere that must mean
// what the file's would (a command line's settings).
std::optional<bool> PreferencesParseBool(const std::string& text);
std::optional<float> PreferencesParseFloat(const std::string& text);
std::optional<std::int32_t> PreferencesParseInt(const std::string& text);

// The text a set writes for a boolean ("true", "false") and for a float (the shortest that reads back bit for bit).
// Whoever hands the saver settings as text (the command line, the settings window's full-screen preview) writes them
// so too, and gets back exactly what the store would.
std::string PreferencesBoolText(bool value);
std::string PreferencesFloatText(float value);

void PreferencesSetBool(const char* key, bool value, const char* domain);
void PreferencesSetFloat(const char* key, float value, const char* domain);
void PreferencesSetInt(const char* key, std::int32_t value, const char* domain);

// Writes pending sets to disk and forgets them, written or not: the next copy rereads the file as other processes
// left it. False when pending sets could not be written, or there is no location at all, with `reason` (when given)
// set to one line that names the file and what stood in the way; "" on success.
bool PreferencesAppSynchronize(const char* domain, std::string* reason = nullptr);

// The file that holds a domain, or an empty string when there is no location.
std::string PreferencesFilePath(const char* domain);

// Why the domain's file is not read (as "PATH is not a regular file"): it then reads as empty and every save fails.
// Empty when it is read, or when there is none.
std::string PreferencesReadProblem(const char* domain);

