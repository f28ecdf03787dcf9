// The headless host: renders the saver into PNG files with no display at all, on a simulated clock, so that the
// same options always write the same files.
//
// One InkspinView of the given size is created (it reads the user's preferences like any other), started, and called
// `frames` times; before each call the simulated wall clock advances 1/rate seconds, and after it the frame is read
// back and written as DIR/frame-0000.png, DIR/frame-0001.png, ...
#pragma once

#include <string>

// The command line fills these from the options table (saver/SettingOptions.h), defaults and ranges included.
struct RenderOptions {
    std::string directory;
    long frames = 0;
    int width = 0;
    int height = 0;
    double rate = 0.0; // host calls per simulated second
    bool showFrameRate = false; // the frame rate (on the simulated clock) drawn over each frame
};

// 0 on success; 1, with a one-line reason, when the directory cannot be made or written, or no OpenGL context
// can be had.
int RenderFrames(const RenderOptions& options, std::string* error);
