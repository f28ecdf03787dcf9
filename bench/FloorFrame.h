// The floor of a frame: a hand-written minimal frame that asks OpenGL for the same work as the saver's frame (clear,
// the blended zoom rectangle, the 1,152 triangles with a shade coordinate per corner, the outline pass, the capture
// readback at half intensity and its upload, flush, finish) and nothing else: no clock, no settings, no lighting
// arithmetic (the shade coordinates are computed once, beforehand). What the saver's frame costs beyond it is its
// own overhead. Uses the arrays, textures and settings of a started view, and its camera as it stands (spin angle
// and field-of-view phase, past the intro), so that both draw the same picture; draws into the current context.
#pragma once

#include "saver/InkspinView.h"

#include <vector>

class FloorFrame {
public:
    explicit FloorFrame(InkspinView& view);
    void draw();

private:
    InkspinView& view_;
    std::vector<float> shade_; // a coordinate per triangle corner
    std::vector<unsigned char> capture_;
};
