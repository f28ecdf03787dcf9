// Three consecutive 32-bit floats in native byte order, tightly packed in arrays (OpenGL stride 0).
#pragma once

struct Vector3 {
    float x;
    float y;
    float z;
};

static_assert(sizeof(Vector3) == 12, "Vector3 arrays are handed to OpenGL as tightly packed floats");
