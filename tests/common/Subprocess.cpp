#include "tests/common/Subprocess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

extern char** environ;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
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
    std::vector<char*> envp;
    for (auto& [name, entry] : variables)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    char outPath[] = "/tmp/inkspin-out-XXXXXX";
    char errPath[] = "/tmp/inkspin-err-XXXXXX";
    const int out = mkstemp(outPath);
    const int err = mkstemp(errPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ProcessResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out);
    close(err);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    unlink(outPath);
    unlink(errPath);
    return result;
}
