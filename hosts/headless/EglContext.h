// A headless OpenGL context: EGL on Mesa's surfaceless platform, OpenGL API with a compatibility profile (the saver
// draws in fixed function), drawing into a pbuffer of the view's size with a depth buffer.
//
// Implements OpenGLContext for OpenGLView: setDrawableSize makes a new pbuffer of that size. Needs no display and no
// GPU (llvmpipe renders). The EGL display is shared by all contexts of the process and kept for its life.
#pragma once

#include "platform/OpenGLView.h"

#include <EGL/egl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EglContext : public OpenGLContext {
public:
    // A context with at least `depthBits` of depth and an initial 1 x 1 drawable, or null with a one-line reason.
    static std::unique_ptr<EglContext> create(int depthBits, std::string* error);
    ~EglContext() override;

    bool makeCurrentContext() override;
    void setDrawableSize(int width, int height) override;

    int width() const { return width_; }
    // The largest drawable EGL and OpenGL allow here, a side and in all; sizes beyond it are never made.
    struct Limits {
        long width, height, pixels;
    };
    Limits drawableLimits();
    int height() const { return height_; }

    // The drawable's pixels as RGB bytes, top row first (the order images are stored in). Makes the context
    // current; leaves every pixel-store and pixel-transfer state as it found it.
    std::vector<std::uint8_t> readPixelsRGB();

private:
    EglContext(EGLDisplay display, EGLConfig config, EGLContext context)
        : display_(display), config_(config), context_(context)
    {
    }

    EGLDisplay display_;
    EGLConfig config_;
    EGLContext context_;
    EGLSurface surface_ = EGL_NO_SURFACE;
    int width_ = 0;
    int height_ = 0;
};
