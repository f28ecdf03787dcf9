// The shade coordinate: how squarely a surface faces the viewer. The normal is carried into eye space by the
// frame's modelview rotation and compared with a fixed light that points at the eye, (0, 0, 1); the cosine,
// clamped below at 0, picks the surface's band in the shade texture. OpenGL's own lighting stays off.
#include "saver/InkspinView.h"

#include <cmath>

void InkspinView::doNormalize(Vector3* vector)
{
    const float squared = vector->x * vector->x + vector->y * vector->y + vector->z * vector->z;
    const float length = static_cast<float>(std::sqrt(static_cast<double>(squared)));
    if (length == 0.0f)
        return;
    const float inverse = 1.0f / length;
    vector->x *= inverse;
    vector->y *= inverse;
    vector->z *= inverse;
}

float InkspinView::doLighting(const Vector3* vector)
{
    const float* m = gModelView.v;
    const float x = m[0] * vector->x + m[4] * vector->y + m[8] * vector->z;
    const float y = m[1] * vector->x + m[5] * vector->y + m[9] * vector->z;
    const float z = m[2] * vector->x + m[6] * vector->y + m[10] * vector->z;
    return 0.0f * x + 0.0f * y + 1.0f * z; // the dot product with the light direction
}

float InkspinView::doCalcShadow(Vector3* normal)
{
    doNormalize(normal); // the stored normal stays normalised
    const float s = doLighting(normal);
    return s < 0.0f ? 0.0f : s;
}
