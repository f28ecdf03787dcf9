// The inkspin command line.
//
//   inkspin --render DIR [--frames N] [--size WxH] [--rate HZ]   headless, into PNG files
//   inkspin [-window | -root | -window-id ID]                      on the X display (every option also with --)
//   inkspin --help | --version
//
// Parsing never touches the display or the file system. Bad input yields one line naming the argument.
#pragma once

#include "hosts/headless/HeadlessRenderer.h"

#include <string>
#include <vector>

enum class RunMode { Help, Version, Render, Window, Root, WindowId };

struct CommandLine {
    RunMode mode = RunMode::Window;
    RenderOptions render;
    unsigned long windowId = 0;
};

// False, with `error` set to one line naming the bad argument, when the arguments make no sense.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine* result, std::string* error);

std::string UsageText();
