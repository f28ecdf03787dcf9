// The cartoon drawing: a fill pass of the front faces in the shade colour, textured through the shade texture
// with a shade coordinate per corner, then (with outlines on) the back faces again as thick lines in the outline
// colour. The fill pass's depth hides every part of the lines behind a front face, so they show only along the
// silhouette and the inner contours. Every state the passes depend on is set here, on every call.
#include "saver/InkspinView.h"

#include "saver/DefinedValues.h"

#include <GL/gl.h>

void InkspinView::doDrawObjectCartoonStyle()
{
    const int triangles = static_cast<std::uint16_t>(gInkspinObject->Header->nColTrigs());
    const ColouredTriangle* records = gInkspinObject->offColTrigs;

    glBindTexture(GL_TEXTURE_1D, gShadeTexture);
    glEnable(GL_TEXTURE_1D);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LESS);
    glPolygonMode(GL_FRONT, GL_FILL);
    glCullFace(GL_BACK);
    glVertexPointer(3, GL_FLOAT, 0, gInkspinVertexArray);
    const RGBColour shade = inkspin::DefinedColour(gShadeColor);
    glColor3fv(&shade.r);
    glBegin(GL_TRIANGLES);
    for (int t = 0; t < triangles; ++t) {
        for (int corner = 0; corner < 3; ++corner) {
            const std::int16_t k = records[t].index(corner);
            glTexCoord1f(doCalcShadow(&gInkspinNormalArray[k]));
            glArrayElement(k);
        }
    }
    glEnd();

    if (gDrawOutlines != 1)
        return;
    glDisable(GL_TEXTURE_1D);
    glDepthFunc(GL_LESS);
    glLineWidth(inkspin::DefinedLineWidth(gOutlineWidth));
    glPolygonMode(GL_BACK, GL_LINE);
    glCullFace(GL_FRONT);
    const RGBColour outline = inkspin::DefinedColour(gOutlineColor);
    glColor3fv(&outline.r);
    glBegin(GL_TRIANGLES);
    for (int t = 0; t < triangles; ++t) {
        glArrayElement(records[t].i0());
        glArrayElement(records[t].i1());
        glArrayElement(records[t].i2());
    }
    glEnd();
}
