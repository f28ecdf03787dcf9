// The frame rate drawn over the picture, as XScreenSaver's hacks do with --fps: "FPS: 29.9" in white on a black box
// in the lower left corner, readable on any background. A host counts each frame the view drew and then draws the
// overlay into the same drawable, after the view has finished (and captured) its frame, so the picture under the
// box and every later frame are exactly what they would be without it. A host that never makes one pays nothing.
//
// The rate is the frames counted over the last second or more of the saver's wall clock (WallClock.h: a headless
// host's simulated one, so renders stay reproducible). OpenGL state is saved and restored around the drawing; the
// host's context must be current.
#pragma once

#include <string>

class FrameRateOverlay {
public:
    // Counts the frame the view just drew, now, and draws the rate over it into the current drawable of width x
    // height pixels; the box grows with the height.
    void drawOver(int width, int height);
    // "FPS: 29.9", or "FPS: -" until a second has passed.
    std::string text() const;

private:
    void count(double seconds); // a clock that goes back restarts the count
    void draw(int width, int height) const;

    double countStart_ = 0.0;
    bool counting_ = false;
    int frames_ = 0;
    double rate_ = -1.0; // no measurement yet
};
