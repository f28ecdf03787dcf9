// The saver that inkspin-idle runs: `PROGRAM --root`, in its own process, with the watcher's environment and the
// default action for every signal. The saver decides itself what input ends it (a pointer's jitter does not); the
// watcher ends it with SIGTERM only when the user is back but the saver cannot see it (under the desktop's lock), or
// when the watcher itself ends.
#pragma once

#include <string>

#include <sys/types.h>

class SaverProcess {
public:
    SaverProcess() = default;
    ~SaverProcess(); // stops a saver still running
    SaverProcess(const SaverProcess&) = delete;
    SaverProcess& operator=(const SaverProcess&) = delete;

    // Starts it; false with *why set (the program missing, no process to be had).
    bool start(const std::string& program, std::string* why);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // Readable once the saver has ended (a pidfd); -1 when none runs, or where the kernel has no pidfds (then poll
    // with a short timeout and call reap).
    int descriptor() const { return pidfd_; }
    // When it has ended: reaps it and returns true with *how set ("ended by SIGTERM", "exited with status 1") and
    // *normal false for a death the user did not ask for (a crash, an error status).
    bool reap(std::string* how, bool* normal);
    // Sends SIGTERM, once.
    void terminate();
    // Ends it: SIGTERM, two seconds to clean up, then SIGKILL; reaps it.
    void stop();

private:
    void forget(); // after it was reaped: no saver
    pid_t pid_ = -1;
    int pidfd_ = -1;
    bool terminated_ = false;
};
