// The lock file beside a file that QtCore's QLockFile makes (QSettings takes it for every save), made the same way
// without Qt, so that saves of QSettings programs, of earlier Inkspins and of this one exclude one another: a file
// made with O_EXCL (whoever makes it holds the lock), flock()ed as well, naming its owner in five lines (process id,
// program name, host name, machine id, boot id), and removed when the lock ends. Deciding that a lock is stale is
// the caller's: the owner's lines are there to read.
#pragma once

#include <string>

class LockFile {
public:
    enum class Result {
        Locked,   // ours until unlock() or the object's end
        Held,     // the file is there: another owner's lock, live or stale
        Denied,   // no permission to make it (a read-only folder, another user's folder)
        Failed,   // any other reason, errno kept (a full disk, a path that is a FIFO's folder)
    };

    explicit LockFile(std::string path) : path_(std::move(path)) {}
    ~LockFile() { unlock(); }
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;

    // Tries to make the lock file, again every 50 ms while another owner holds it, for up to `milliseconds`.
    Result tryLock(int milliseconds);
    // Removes the lock file, when it is ours.
    void unlock();

private:
    std::string path_;
    int descriptor_ = -1;
};
