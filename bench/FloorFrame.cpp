#include "bench/FloorFrame.h"

#include "saver/ZoomGeometry.h"
#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

FloorFrame::FloorFrame(InkspinView& view) : view_(view), capture_(kZoomTextureSize * kZoomTextureSize * 3)
{
    const int triangles = view.gInkspinObject->Header->nColTrigs();
    for (int t = 0; t < triangles; ++t)
        for (int corner = 0; corner < 3; ++corner)
            shade_.push_back(view.doCalcShadow(&view.gInkspinNormalArray[view.gInkspinObject->offColTrigs[t].index(corner)]));
}

void FloorFrame::draw()
{
    const int width = VideoGetWidth(), height = VideoGetHeight();
    const ZoomGeometry g = ComputeZoomGeometry(width, height, view_.gBufferScale);
    const ColouredTriangle* records = view_.gInkspinObject->offColTrigs;
    const int triangles = view_.gInkspinObject->Header->nColTrigs();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (view_.gZoomBackground) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, width, 0.0, height, -5.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBindTexture(GL_TEXTURE_2D, view_.gBackTexture);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
        glEnable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor4f(0.6f, 0.52f, 0.45f, 0.8f); // the zoom's tint, as the saver's frame sets it
        glBegin(GL_TRIANGLE_STRIP);
        glTexCoord2f(1.0f, g.topTexCoord);
        glVertex2i(g.x1, g.y1);
        glTexCoord2f(0.0f, g.topTexCoord);
        glVertex2i(g.x0, g.y1);
        glTexCoord2f(1.0f, 0.0f);
        glVertex2i(g.x1, g.y0);
        glTexCoord2f(0.0f, 0.0f);
        glVertex2i(g.x0, g.y0);
        glEnd();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
    }

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(149.0 + 30.0 * std::sin(double(view_.gPerAngle)), double(width) / double(height), 0.01, 30.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(view_.gRotAngle, 0.0f, 1.0f, -1.0f);
    glRotatef(2.0f * view_.gRotAngle, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_1D, view_.gShadeTexture);
    glEnable(GL_TEXTURE_1D);
    glEnable(GL_CULL_FACE);
    glDepthFunc(GL_LESS);
    glPolygonMode(GL_FRONT, GL_FILL);
    glCullFace(GL_BACK);
    glVertexPointer(3, GL_FLOAT, 0, view_.gInkspinVertexArray);
    glColor3fv(&view_.gShadeColor.r);
    glBegin(GL_TRIANGLES);
    for (int t = 0, i = 0; t < triangles; ++t) {
        for (int corner = 0; corner < 3; ++corner, ++i) {
            glTexCoord1f(shade_[i]);
            glArrayElement(records[t].index(corner));
        }
    }
    glEnd();
    glDisable(GL_TEXTURE_1D);
    if (view_.gDrawOutlines) {
        glLineWidth(view_.gOutlineWidth);
        glPolygonMode(GL_BACK, GL_LINE);
        glCullFace(GL_FRONT);
        glColor3fv(&view_.gOutlineColor.r);
        glBegin(GL_TRIANGLES);
        for (int t = 0; t < triangles; ++t) {
            glArrayElement(records[t].i0());
            glArrayElement(records[t].i1());
            glArrayElement(records[t].i2());
        }
        glEnd();
    }

    if (view_.gZoomBackground) {
        glPixelTransferf(GL_RED_SCALE, 0.5f);
        glPixelTransferf(GL_GREEN_SCALE, 0.5f);
        glPixelTransferf(GL_BLUE_SCALE, 0.5f);
        glReadPixels(g.captureX, g.captureY, kZoomTextureSize, g.captureHeight, GL_RGB, GL_UNSIGNED_BYTE, capture_.data());
        glPixelTransferf(GL_RED_SCALE, 1.0f);
        glPixelTransferf(GL_GREEN_SCALE, 1.0f);
        glPixelTransferf(GL_BLUE_SCALE, 1.0f);
        glBindTexture(GL_TEXTURE_2D, view_.gBackTexture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kZoomTextureSize, g.captureHeight, GL_RGB, GL_UNSIGNED_BYTE, capture_.data());
    }
    glFlush();
    glFinish();
}
