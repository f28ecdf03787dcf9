#include "hosts/common/OnePerSession.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// $XDG_RUNTIME_DIR/ROLE-DISPLAY.lock; "" without a runtime folder. WAYLAND_DISPLAY may be a path: only its last
// part names the session.
std::string LockPath(const std::string& role)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] != '/')
        return "";
    std::string display = std::getenv("WAYLAND_DISPLAY") != nullptr ? std::getenv("WAYLAND_DISPLAY") : "";
    display = display.substr(display.find_last_of('/') + 1);
    return std::string(runtime) + "/" + role + (display.empty() ? "" : "-" + display) + ".lock";
}

int ReadPid(int descriptor)
{
    char text[24] = {};
    const ssize_t length = pread(descriptor, text, sizeof text - 1, 0);
    return length > 0 ? std::atoi(text) : 0;
}

} // namespace

bool ClaimOnePerSession(const std::string& role, int* holder)
{
    *holder = 0;
    const std::string path = LockPath(role);
    if (path.empty())
        return true;
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0)
        return true; // a lock we cannot even make must not stop the saver
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        *holder = ReadPid(descriptor);
        close(descriptor);
        return false;
    }
    // The pid only names the holder: the lock holds whether or not it could be written.
    const std::string pid = std::to_string(getpid()) + "\n";
    [[maybe_unused]] const bool written
        = ftruncate(descriptor, 0) == 0 && pwrite(descriptor, pid.data(), pid.size(), 0) >= 0;
    return true; // the descriptor stays open, and the lock with it, until the process ends
}

int OnePerSessionHolder(const std::string& role)
{
    const std::string path = LockPath(role);
    if (path.empty())
        return 0;
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0)
        return 0;
    int pid = 0;
    if (flock(descriptor, LOCK_SH | LOCK_NB) != 0)
        pid = ReadPid(descriptor); // held: the holder's pid is there
    close(descriptor);
    return pid;
}
