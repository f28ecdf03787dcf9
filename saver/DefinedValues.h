// The store and the command line refuse NaN and infinities, but no setting is range-checked, and OpenGL defines
// nothing for NaN colours or line widths: the drawing passes these instead, so that no value from any source can
// leave OpenGL's state undefined. NaN becomes 0 for a colour channel (OpenGL clamps every other value to 0..1 itself)
// and the default width 1 for a line.
#pragma once

#include "saver/RGBColour.h"

#include <GL/gl.h>

namespace inkspin {

inline RGBColour DefinedColour(const RGBColour& c)
{
    auto channel = [](float v) { return v != v ? 0.0f : v; };
    return {channel(c.r), channel(c.g), channel(c.b)};
}

// glClearColor with the background colour, opaque.
inline void SetClearColour(const RGBColour& c)
{
    const RGBColour defined = DefinedColour(c);
    glClearColor(defined.r, defined.g, defined.b, 1.0f);
}

inline float DefinedLineWidth(float width) { return width != width ? 1.0f : width; }

} // namespace inkspin
