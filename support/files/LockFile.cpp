#include "support/files/LockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

namespace {

// The first line of a small system file, without its line break; "" when there is none.
std::string FirstLine(const char* path)
{
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// What QLockFile writes into the file: the process id, the program's name (the last part of /proc/self/exe, which
// QLockFile compares with the running process of that id to tell a reused id), the host name, the machine id and
// the boot id, a line each.
std::string OwnerLines()
{
    char exe[4096] = "", host[256] = "";
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string program(exe, length > 0 ? static_cast<std::size_t>(length) : 0);
    program = program.substr(program.rfind('/') + 1);
    gethostname(host, sizeof host - 1);
    std::string machine = FirstLine("/etc/machine-id");
    if (machine.empty())
        machine = FirstLine("/var/lib/dbus/machine-id");
    return std::to_string(getpid()) + "\n" + program + "\n" + host + "\n" + machine + "\n"
        + FirstLine("/proc/sys/kernel/random/boot_id") + "\n";
}

} // namespace

LockFile::Result LockFile::tryLock(int milliseconds)
{
    if (descriptor_ >= 0)
        return Result::Locked;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        descriptor_ = open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0)
            break;
        if (errno == EACCES || errno == EROFS)
            return Result::Denied;
        if (errno != EEXIST)
            return Result::Failed;
        if (std::chrono::steady_clock::now() >= end)
            return Result::Held;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    flock(descriptor_, LOCK_EX | LOCK_NB); // as QLockFile, for whoever checks; the file itself is the lock
    const std::string owner = OwnerLines();
    for (std::size_t done = 0; done < owner.size();) {
        const ssize_t wrote = write(descriptor_, owner.data() + done, owner.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) { // a full disk: a lock without its owner would look stale to the next save for a second
            const int error = wrote < 0 ? errno : ENOSPC;
            unlock();
            errno = error;
            return Result::Failed;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return Result::Locked;
}

void LockFile::unlock()
{
    if (descriptor_ < 0)
        return;
    unlink(path_.c_str()); // while it is still open and flock()ed: nobody takes it between the two
    close(descriptor_);
    descriptor_ = -1;
}
