#include "hosts/idle/SaverProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <initializer_list>

extern char** environ;

namespace {

constexpr int kStopGraceMilliseconds = 2000;

int OpenPidDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long descriptor = syscall(SYS_pidfd_open, pid, 0);
    if (descriptor >= 0) {
        fcntl(static_cast<int>(descriptor), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(descriptor);
    }
#endif
    return -1;
}

} // namespace

SaverProcess::~SaverProcess() { stop(); }

bool SaverProcess::start(const std::string& program, std::string* why)
{
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // The watcher's handlers and its ignored SIGPIPE are not the saver's: it ends by the signals as hacks do.
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCONT, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, signal);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    char root[] = "--root";
    char* argv[] = {const_cast<char*>(program.c_str()), root, nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        *why = "cannot run " + program + ": " + std::strerror(failed);
        return false;
    }
    pid_ = pid;
    pidfd_ = OpenPidDescriptor(pid);
    terminated_ = false;
    return true;
}

bool SaverProcess::reap(std::string* how, bool* normal)
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == 0 || (ended < 0 && errno == EINTR))
        return false;
    if (ended < 0) {
        *how = "is gone";
        *normal = true;
    } else if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        *how = std::string("ended by SIG") + sigabbrev_np(signal);
        // The ending signals are how savers end; any other (SIGSEGV, SIGABRT, SIGKILL) is something gone wrong.
        *normal = signal == SIGTERM || signal == SIGINT || signal == SIGHUP;
    } else {
        *how = "exited with status " + std::to_string(WEXITSTATUS(status));
        *normal = WEXITSTATUS(status) == 0;
    }
    forget();
    return true;
}

void SaverProcess::forget()
{
    if (pidfd_ >= 0)
        close(pidfd_);
    pid_ = -1;
    pidfd_ = -1;
}

void SaverProcess::terminate()
{
    if (pid_ > 0 && !terminated_)
        kill(pid_, SIGTERM);
    terminated_ = true;
}

void SaverProcess::stop()
{
    if (pid_ <= 0)
        return;
    terminate();
    std::string how;
    bool normal = false;
    for (int waited = 0; waited < kStopGraceMilliseconds && !reap(&how, &normal); waited += 20)
        poll(nullptr, 0, 20);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        forget();
    }
}
