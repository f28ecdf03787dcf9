// The fixed-function baseline that the renderer and the background start from, set at every start.
#include "saver/InkspinView.h"

#include "saver/DefinedValues.h"

#include <GL/gl.h>
#include <GL/glu.h>

void InkspinView::initGL()
{
    float width = frame().width;
    float height = frame().height;

    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL); // the renderer switches to GL_LESS on every frame
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glDrawBuffer(GL_BACK);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (width == 0.0f)
        width = 1.0f;
    if (height == 0.0f)
        height = 1.0f;
    gluPerspective(45.0, static_cast<double>(width / height), static_cast<double>(0.01f), 20.0);
    glMatrixMode(GL_MODELVIEW);
    inkspin::SetClearColour(gBackgroundColor);
    glDisable(GL_LIGHTING); // the saver lights the object itself, through the shade texture
    glDisable(GL_FOG);
    glColorMaterial(GL_FRONT, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DITHER);
    glEnableClientState(GL_VERTEX_ARRAY);
}
