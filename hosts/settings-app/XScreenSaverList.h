// Putting Inkspin in XScreenSaver's list of savers: its entry in the `programs:` resource of the user's
// ~/.xscreensaver, which XScreenSaver rereads at every blank and xscreensaver-settings shows.
//
// The file is read as the daemon reads it (XScreenSaverFile.h), and the resource edited is the one the daemon uses:
// the last `programs:` in any case. A user with no list gets the system's list (XScreenSaver's app-defaults file)
// with Inkspin after it; otherwise Inkspin's entry goes after the last entry, so that no entry changes its place
// (`selected:` counts them), and every other byte stays. An entry that is there already is turned on if it was off,
// and pointed at the installed saver when asked. The result is read back the same way before it is used: where it
// does not say exactly what was meant, nothing is written and the caller gets the line to add by hand.
#pragma once

#include <functional>
#include <string>

// What the list does to XScreenSaver's mode: leave it, show Inkspin alone (`mode: one`, `selected:` Inkspin), or
// show Inkspin among the others (a `mode: one` becomes `random`).
enum class ListMode { Keep, Alone, AmongOthers };

struct ListRequest {
    ListMode mode = ListMode::Keep;
    bool useInstalled = false; // an entry that runs another inkspin is made to run the installed one
};

// What was there, and what was done to it.
struct ListChange {
    bool added = false, enabled = false, repointed = false;
    std::string elsewhere; // the program an entry runs when it is not the installed saver (and was left so)
    std::string mode;      // XScreenSaver's mode afterwards ("random" when the file sets none)
    bool modeChanged = false;
};

// The line a user adds to the `programs:` list by hand, as it stands in the file.
extern const char* const kHandLine;

// The text of an ~/.xscreensaver (`text`, "" when there is none) with Inkspin in its list; `systemList` is the
// app-defaults file's text, whose `*programs:` starts a file that has no list; `installed` tells whether an entry's
// command (a name or a path) runs the installed saver. False, with `error`, when it cannot be done safely.
bool WithInkspinListed(const std::string& text, const std::string& systemList, const ListRequest& request,
                       const std::function<bool(const std::string&)>& installed, std::string* result,
                       ListChange* change, std::string* error);

// Does the above to $HOME/.xscreensaver, replacing it whole (see support/files/ReplaceFile.h); a file that cannot be
// read is left as it is. `message` says what was done, or why not, in one line; false when nothing could be done.
bool UseInXScreenSaver(const ListRequest& request, std::string* message, ListChange* change);
