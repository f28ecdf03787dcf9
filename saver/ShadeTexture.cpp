// The shade texture: a 32-texel grey lookup table whose hard regions turn the per-vertex lighting into flat bands.
//
// Below the start position texels hold the start intensity, from the end position on the end intensity; between
// them one band three quarters of the way up (levels 1) or a ramp whose steepness depends on the level count.
// Everything is single precision and nothing is clamped here: OpenGL clamps the floats to 0..1 when it stores them.
#include "saver/InkspinView.h"

#include <GL/gl.h>

namespace {

constexpr int kShadeTextureWidth = 32;
constexpr float kStepScale = 0.03125f; // 1/32: the middle region's width as a fraction of the texture
constexpr float kSingleBandMix = 0.75f;

// Shared by every view; builds never overlap because all views run on the host's main thread.
RGBColour gShadeTexels[kShadeTextureWidth];

} // namespace

void InkspinView::doMakeShadeTexture()
{
    if (gShadeStartPosition > gShadeEndPosition)
        gShadeEndPosition = gShadeStartPosition;
    const std::int32_t start = gShadeStartPosition;
    const std::int32_t end = gShadeEndPosition;

    // In float, so that positions near the 32-bit limits cannot overflow an integer subtraction.
    float step = (static_cast<float>(end) - static_cast<float>(start)) * kStepScale * static_cast<float>(gShadeLevels);
    if (step == 0.0f)
        step = 1.0f;
    const float startIntensity = gShadeStartIntensity;
    const float endIntensity = gShadeEndIntensity;

    for (std::int32_t i = 0; i < kShadeTextureWidth; ++i) {
        float v;
        if (i < start) {
            v = startIntensity;
        } else if (i < end) {
            if (gShadeLevels == 1) {
                v = startIntensity + (endIntensity - startIntensity) * kSingleBandMix;
            } else {
                const float d = (endIntensity - startIntensity) / step;
                // i - start in float: start may be far below zero.
                v = startIntensity + ((static_cast<float>(i) - static_cast<float>(start)) * d + d);
            }
        } else {
            v = endIntensity;
        }
        // OpenGL defines no conversion of NaN to a stored texel, and intensities near the float limits make one here
        // (their difference overflows to infinity, and infinity times zero is NaN): such a band draws black.
        if (v != v)
            v = 0.0f;
        gShadeTexels[i] = {v, v, v};
    }

    glGenTextures(1, &gShadeTexture);
    glBindTexture(GL_TEXTURE_1D, gShadeTexture);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST); // hard band edges
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, kShadeTextureWidth, 0, GL_RGB, GL_FLOAT, gShadeTexels);
}
