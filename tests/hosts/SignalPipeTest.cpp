// The signals a host is sent, as its loop takes them from the pipe, in a child process (the handlers stay for the
// rest of a process's life): an ending signal outranks the SIGCONT that wakes a stopped saver with it, and the saver
// dies by the first ending signal, not by an exit status that a shell would print the same.
#include "hosts/common/SignalPipe.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

TEST(SignalPipeTest, TheEndOutranksAContinueAndComesByTheFirstEndingSignal)
{
    const pid_t child = fork();
    if (child == 0) {
        if (!SignalPipeInstall())
            _exit(1);
        SignalPipeRunning();
        for (int signal : {SIGCONT, SIGINT, SIGTERM, SIGCONT})
            raise(signal);
        if (SignalPipeTake() != HostSignal::Terminate || SignalPipeTake() != HostSignal::Nothing)
            _exit(2);
        SignalPipeEndAsAsked();
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "exit status " << WEXITSTATUS(status);
}

} // namespace
