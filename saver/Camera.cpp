// The camera: per frame, the projection and the two spin rotations, advanced by the ticks that have passed.
//
// The eye sits at the lattice's centre. The field of view swings slowly between wide and extremely wide, so the
// object breathes; during the intro it opens from 180 degrees, where the object is a point. The swing phase and the
// spin angle grow without wrapping; the field of view is computed in double precision, the rest in single.
#include "saver/InkspinView.h"

#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace {

constexpr float kSwingStep = 0.002f;          // radians of the field-of-view phase per tick
constexpr float kSpinStep = 0.3f;             // degrees of spin per tick
constexpr float kIntroEnd = 4.71238899230957f; // 3 pi / 2
constexpr double kNearPlane = static_cast<double>(0.01f);
constexpr double kFarPlane = 30.0;

} // namespace

void InkspinView::renderInkspin(std::uint8_t ticks)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float t = static_cast<float>(ticks);
    gPerAngle = gPerAngle + t * kSwingStep;
    const double phase = std::sin(static_cast<double>(gPerAngle));
    const bool intro = gFadeIsReady == 0;
    const double fovy = intro ? 149.5 + 30.5 * phase : 149.0 + 30.0 * phase;

    // A size not recorded yet (0) counts as 1, as at start-up, so the aspect is always finite.
    float width = static_cast<float>(VideoGetWidth());
    float height = static_cast<float>(VideoGetHeight());
    if (width == 0.0f)
        width = 1.0f;
    if (height == 0.0f)
        height = 1.0f;
    gluPerspective(fovy, static_cast<double>(width / height), kNearPlane, kFarPlane);
    if (intro && gPerAngle >= kIntroEnd)
        gFadeIsReady = 1; // the normal swing applies from the next frame on; both meet at 119 degrees

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gRotAngle = gRotAngle + t * kSpinStep;
    glRotatef(gRotAngle, 0.0f, 1.0f, -1.0f);
    glRotatef(2.0f * gRotAngle, 1.0f, 0.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, gModelView.v);
    doDrawObjectCartoonStyle();
}
