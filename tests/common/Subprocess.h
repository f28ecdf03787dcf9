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
