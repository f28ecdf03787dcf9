#include "tests/common/Subprocess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <map>

#include <csignal>

extern char** environ;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

namespace {

struct Launch {
    std::vector<std::string> args, env;
    std::vector<char*> argp, envp;
};

void Prepare(Launch& l, const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    std::map<std::string, std::string> variables;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        variables[entry.substr(0, entry.find('='))] = entry;
    }
    for (const std::string& entry : environment) {
        const std::string name = entry.substr(0, entry.find('='));
        if (entry.size() == name.size() + 1)
            variables.erase(name);
        else
            variables[name] = entry;
    }
    for (auto& [name, entry] : variables)
        l.env.push_back(entry);
    l.args = argv;
    for (std::string& e : l.env)
        l.envp.push_back(e.data());
    l.envp.push_back(nullptr);
    for (std::string& a : l.args)
        l.argp.push_back(a.data());
    l.argp.push_back(nullptr);
}

pid_t Spawn(Launch& l, int out, int err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, l.argp[0], &actions, nullptr, l.argp.data(), l.envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    Launch l;
    Prepare(l, argv, environment);
    char outPath[] = "/tmp/inkspin-out-XXXXXX";
    char errPath[] = "/tmp/inkspin-err-XXXXXX";
    const int out = mkstemp(outPath);
    const int err = mkstemp(errPath);
    outPath_ = outPath;
    errPath_ = errPath;
    pid_ = Spawn(l, out, err);
    close(out);
    close(err);
}

BackgroundProcess::~BackgroundProcess()
{
    if (pid_ > 0 && !ended_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

bool BackgroundProcess::running()
{
    if (pid_ <= 0 || ended_)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return !ended_;
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
    ProcessResult result;
    result.status = ended_ ? status_ : -1;
    result.out = ReadAll(outPath_);
    result.err = ReadAll(errPath_);
    return result;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    BackgroundProcess process(argv, environment);
    return process.wait(600.0);
}
