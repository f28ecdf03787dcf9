// A colour as three consecutive 32-bit floats on a 0 to 1 scale; its address goes straight to glColor3fv, and an
// array of them to OpenGL as GL_RGB / GL_FLOAT data.
#pragma once

struct RGBColour {
    float r;
    float g;
    float b;
};

static_assert(sizeof(RGBColour) == 12, "handed to OpenGL as three tightly packed floats");
