#include "hosts/idle/LockRequest.h"

#include <systemd/sd-bus.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace {

bool RunCommand(const std::string& command, std::string* why)
{
    // Through a shell that is not waited for: a locker such as swaylock runs until the user unlocks. The shell is
    // reaped by a child of its own that ends at once, so no zombie is left behind.
    const std::string detached = "(" + command + ") </dev/null &";
    char shell[] = "/bin/sh", dashC[] = "-c";
    char* argv[] = {shell, dashC, const_cast<char*>(detached.c_str()), nullptr};
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv, environ);
    if (failed != 0) {
        *why = std::string("cannot run /bin/sh for the lock command: ") + std::strerror(failed);
        return false;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *why = "the lock command could not be started: " + command;
        return false;
    }
    return true;
}

} // namespace

bool AskToLock(const std::string& command, std::string* why)
{
    if (!command.empty())
        return RunCommand(command, why);
    sd_bus* bus = nullptr;
    int result = sd_bus_open_system(&bus);
    if (result < 0) {
        *why = std::string("cannot reach logind on the system bus to lock: ") + std::strerror(-result);
        return false;
    }
    sd_bus_error error = SD_BUS_ERROR_NULL;
    result = sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                                "org.freedesktop.login1.Session", "Lock", &error, nullptr, "");
    if (result < 0)
        *why = std::string("logind did not lock the session: ")
            + (error.message != nullptr ? error.message : std::strerror(-result));
    sd_bus_error_free(&error);
    sd_bus_flush_close_unref(bus);
    return result >= 0;
}
