#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::string TemporaryFile()
{
    char path[] = "/tmp/inkspin-output-XXXXXX";
    close(mkstemp(path));
    return path;
}

} // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
    : outPath_(TemporaryFile()), errPath_(TemporaryFile())
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ != 0)
        return;
    // In the child: only async-signal-safe work would be strictly proper, but the test process is single-threaded.
    for (const std::string& entry : environment) {
        const std::size_t equals = entry.find('=');
        if (equals + 1 == entry.size())
            unsetenv(entry.substr(0, equals).c_str());
        else
            setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    dup2(open("/dev/null", O_RDONLY), 0);
    dup2(open(outPath_.c_str(), O_WRONLY | O_TRUNC), 1);
    dup2(open(errPath_.c_str(), O_WRONLY | O_TRUNC), 2);
    execv(args[0], args.data());
    _exit(127);
}

std::string BackgroundProcess::errorSoFar() const
{
    std::ifstream file(errPath_);
    return {std::istreambuf_iterator<char>(file), {}};
}

BackgroundProcess::~BackgroundProcess()
{
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool BackgroundProcess::running()
{
    int status = 0;
    if (pid_ > 0 && !ended_ && waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : KilledBy(WTERMSIG(status));
    }
    return pid_ > 0 && !ended_;
}

void BackgroundProcess::signal(int number)
{
    if (running())
        kill(pid_, number);
}

ProcessResult BackgroundProcess::wait(double seconds)
{
    for (int i = 0; i < static_cast<int>(seconds * 100) && running(); ++i)
        usleep(10000);
    running();
    return {ended_ ? status_ : -1, ReadFile(outPath_), ReadFile(errPath_)};
}

void ExpectOneLineError(const ProcessResult& result, int status, const std::string& named)
{
    EXPECT_EQ(result.status, status) << named << ": " << result.err;
    EXPECT_NE(result.err.find(named), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << "one line: " << result.err;
}

void ExpectQuietEnd(BackgroundProcess& process, int status, int signal, double seconds)
{
    if (signal != 0)
        process.signal(signal);
    const ProcessResult result = process.wait(seconds);
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_EQ(result.err, "");
}

long CpuTicks(int pid)
{
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    long utime = 0, stime = 0;
    std::sscanf(stat.c_str() + stat.rfind(')') + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime,
                &stime);
    return utime + stime;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    return BackgroundProcess(argv, environment).wait(600.0);
}

OwnXServer::OwnXServer(const std::vector<std::string>& arguments)
{
    std::vector<std::string> argv = {"/usr/bin/Xvfb", "-displayfd", "1"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    process = std::make_unique<BackgroundProcess>(argv);
    for (int i = 0; i < 1000 && process->running(); ++i) {
        const std::string number = process->wait(0).out; // written once the server listens
        if (!number.empty() && number.back() == '\n') {
            display = ":" + number.substr(0, number.size() - 1);
            return;
        }
        usleep(10000);
    }
}
