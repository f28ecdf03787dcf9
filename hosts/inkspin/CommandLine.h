// The inkspin command line.
//
//   inkspin --render DIR [--frames N] [--size WxH] [--rate HZ]   headless, into PNG files
//   inkspin [-window | -root | -window-id ID]                      on the X display (every option also with --)
//   inkspin --help | --version
//
// Parsing never touches the display or the file system. Bad input yields one line naming the argument; so does an
// option given twice, or two window options (the last one winning silently would surprise).
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

// A window id as X clients write it: decimal, or hexadecimal with 0x; 1 to 0xFFFFFFFF (X ids are 32 bits).
bool ParseWindowId(const std::string& text, unsigned long* id);
