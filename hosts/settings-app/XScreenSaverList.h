// Putting Inkspin in XScreenSaver's list of savers: its entry in the `programs:` resource of the user's
// ~/.xscreensaver, which XScreenSaver rereads at every blank and xscreensaver-settings shows.
//
// A user with no ~/.xscreensaver gets one whose `programs:` is the system's list (XScreenSaver's app-defaults file)
// with Inkspin after it, and nothing else: every other preference keeps its default, as before. Otherwise Inkspin's
// entry is added after the last entry of the list, so that no entry changes its number (`selected:` counts them),
// and every other line stays as it was. A list that names inkspin already is left as it is. With `select`, `mode:`
// becomes `one` and `selected:` Inkspin's number, so XScreenSaver shows it alone.
#pragma once

#include <string>

// The text of an ~/.xscreensaver (`text`, "" when there is none) with Inkspin in its list; `systemList` is the
// app-defaults file's text, whose `*programs:` starts a file that has no list. Sets `number` to Inkspin's index in
// the list. False, with `error`, when neither text holds a list to add to.
bool WithInkspinListed(const std::string& text, const std::string& systemList, bool select, std::string* result,
                       int* number, std::string* error);

// Does the above to $HOME/.xscreensaver, replacing it whole (see support/files/ReplaceFile.h). `message` says what
// was done, or why not; false when nothing could be done.
bool UseInXScreenSaver(bool select, std::string* message);
