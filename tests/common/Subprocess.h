// Runs a program to its end and collects its exit status and output, for end-to-end tests of the binaries.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    int status = -1; // exit code, or -1 when it did not exit normally
    std::string out;
    std::string err;
};

// `environment` entries NAME=VALUE are added to (or replace in) the current environment; NAME= alone removes NAME.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});

// A program started in the background, with its output collected in temporary files.
class BackgroundProcess {
public:
    BackgroundProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment = {});
    ~BackgroundProcess(); // kills it if it still runs
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    int pid() const { return pid_; }
    bool running();
    void signal(int number);
    // Waits up to `seconds` for the end; the result's status is -1 when it did not end (or ended by a signal).
    ProcessResult wait(double seconds);

private:
    int pid_ = -1;
    bool ended_ = false;
    int status_ = -1;
    std::string outPath_, errPath_;
};
