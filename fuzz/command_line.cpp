// Fuzzes the inkspin command line: the input, split at newlines, is the argument list.
#include "hosts/inkspin/CommandLine.h"

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    CommandLine line;
    std::string error;
    const bool parsed = ParseCommandLine(arguments, &line, &error);
    // Refused input always says why, on one line; accepted input is within the documented bounds.
    if (!parsed && (error.empty() || error.find('\n') != std::string::npos))
        std::abort();
    if (parsed && line.mode == RunMode::Render
        && (line.render.frames < 1 || line.render.width < 1 || line.render.width > 16384 || line.render.rate < 0.01
            || line.render.rate > 1000.0))
        std::abort();
    unsigned long id = 0;
    if (ParseWindowId(std::string(reinterpret_cast<const char*>(data), size), &id) && (id == 0 || id > 0xFFFFFFFFul))
        std::abort();
    return 0;
}
