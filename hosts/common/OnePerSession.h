// One of a kind per Wayland session: a lock file in $XDG_RUNTIME_DIR named after the program's role and the
// session's display, held with flock() for as long as the process lives (the kernel lets go when it dies, however it
// dies, so no stale lock is ever left). The file holds the holder's pid, for the line that names it and for the
// settings window, which ends a running idle watcher when the user turns it off.
#pragma once

#include <string>

// Takes the lock for `role` ("inkspin-idle", "inkspin-root") in this session and keeps it open (close-on-exec) until
// the process ends. True when it is ours; false when another process holds it, with *holder set to its pid (0 when
// unknown). True as well where there is no runtime folder to hold a lock in: then nothing can be shared, and nothing
// is refused.
bool ClaimOnePerSession(const std::string& role, int* holder);

// The pid of the process holding `role`'s lock in this session, or 0 when none does.
int OnePerSessionHolder(const std::string& role);
