// Runs the programs under test, for end-to-end tests of the binaries: to their end, or in the background.
#pragma once

#include <memory>
#include <string>
#include <vector>

// How a program ended, as `status` tells it: the exit code (0 to 255), KilledBy(N) when signal N ended it, or -1
// while it runs. Not a shell's 128 + N: a program that calls exit(143) and one that dies by SIGTERM look the same to
// a shell, but XScreenSaver's daemon logs the first as abnormal and the second as normal.
constexpr int KilledBy(int signal) { return 256 + signal; }

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

// A program started in the background with standard input from /dev/null and its output collected in temporary
// files. `environment` entries NAME=VALUE are set for it; NAME= alone removes NAME.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
    ~BackgroundProcess(); // kills it if it still runs
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    int pid() const { return pid_; }
    bool running();
    void signal(int number);
    // What it wrote on stderr so far, while it runs.
    std::string errorSoFar() const;
    // Waits up to `seconds` for the end.
    ProcessResult wait(double seconds);

private:
    int pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
    std::string outPath_, errPath_;
};

// Expects the program to have ended with `status` and one line on stderr that mentions `named`.
void ExpectOneLineError(const ProcessResult& result, int status, const std::string& named);
// Sends `signal` (none when 0), then expects the program to end within `seconds` with `status` and not a word.
void ExpectQuietEnd(BackgroundProcess& process, int status, int signal = 0, double seconds = 5.0);

// The processor time the process has used so far, user and system, in clock ticks (from /proc).
long CpuTicks(int pid);

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// An X server of the test's own: Xvfb with `arguments` (a screen, -ac, ...) on a display number it picks itself
// (-displayfd), so that test runs side by side never meet on one server, and stale locks of killed ones are reused.
// `display` is ":N" once it accepts connections, or "" when it did not start within 10 s.
struct OwnXServer {
    explicit OwnXServer(const std::vector<std::string>& arguments);
    std::unique_ptr<BackgroundProcess> process;
    std::string display;
};
