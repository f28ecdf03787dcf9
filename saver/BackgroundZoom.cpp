// The zoom-feedback background. At the end of each frame the central block of the finished frame is read at half
// intensity into a 128 x 128 texture; at the start of the next, that texture is drawn centred and enlarged by the
// zoom factor and multiplied into the cleared background, so bright parts of the last frame darken it. Each capture
// holds the enlarged image of the one before, so the image feeds back from frame to frame. Nearest filtering shows
// the captured pixels as blocks.
#include "saver/InkspinView.h"

#include "saver/ZoomGeometry.h"
#include "support/memory/MemoryPool.h"
#include "support/numeric/Truncate.h"
#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>

#include <cstring>

namespace {

constexpr std::uint32_t kBufferSize = kZoomTextureSize * kZoomTextureSize * 3; // 49,152 bytes, RGB

void SetColourTransfer(float scale, float alphaScale)
{
    glPixelTransferf(GL_RED_SCALE, scale);
    glPixelTransferf(GL_RED_BIAS, 0.0f);
    glPixelTransferf(GL_GREEN_SCALE, scale);
    glPixelTransferf(GL_GREEN_BIAS, 0.0f);
    glPixelTransferf(GL_BLUE_SCALE, scale);
    glPixelTransferf(GL_BLUE_BIAS, 0.0f);
    glPixelTransferf(GL_ALPHA_SCALE, alphaScale);
    glPixelTransferf(GL_ALPHA_BIAS, 0.0f);
}

} // namespace

void InkspinView::setNewBuffer()
{
    VideoSetWidth(inkspin::TruncateToLow16(frame().width));
    VideoSetHeight(inkspin::TruncateToLow16(frame().height));
    gBufferPixels = static_cast<std::uint8_t*>(MemoryAlloc(kBufferSize));
    if (gBufferPixels == nullptr) {
        gZoomBackground = 0; // the background stays flat
        return;
    }
    // A fresh pool block holds whatever the heap held: the first image drawn before any capture must not show it.
    std::memset(gBufferPixels, 0, kBufferSize);
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &gBackTexture);
    glBindTexture(GL_TEXTURE_2D, gBackTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kZoomTextureSize, kZoomTextureSize, 0, GL_RGB, GL_UNSIGNED_BYTE, gBufferPixels);
    gZoomBackground = 1;
}

void InkspinView::doBackground(bool capture)
{
    if (!gZoomBackground)
        return;
    const std::int32_t width = VideoGetWidth();
    const std::int32_t height = VideoGetHeight();
    if (width == 0 || height == 0)
        return;
    const ZoomGeometry g = ComputeZoomGeometry(width, height, gBufferScale);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    if (!capture)
        glOrtho(0.0, static_cast<double>(width), 0.0, static_cast<double>(height), -5.0, 1.0);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLboolean dithering = glIsEnabled(GL_DITHER);
    glDisable(GL_DITHER);

    if (capture) {
        glDisable(GL_DEPTH_TEST);
        SetColourTransfer(0.5f, 0.0f); // the capture is read at half intensity
        glReadPixels(g.captureX, g.captureY, kZoomTextureSize, g.captureHeight, GL_RGB, GL_UNSIGNED_BYTE, gBufferPixels);
        SetColourTransfer(1.0f, 1.0f);
        glDisable(GL_TEXTURE_1D);
        glBindTexture(GL_TEXTURE_2D, gBackTexture);
        glEnable(GL_TEXTURE_2D);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kZoomTextureSize, g.captureHeight, GL_RGB, GL_UNSIGNED_BYTE, gBufferPixels);
        glDisable(GL_TEXTURE_2D);
        glFinish();
    } else {
        glBindTexture(GL_TEXTURE_2D, gBackTexture);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        // destination x (1 - texel x colour): bright captured pixels darken the background, black ones leave it.
        glBlendFunc(GL_ZERO, GL_ONE_MINUS_SRC_COLOR);
        glEnable(GL_BLEND);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glColor4f(0.6f, 0.52f, 0.45f, 0.8f);
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
    }

    if (dithering)
        glEnable(GL_DITHER);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
