#include "hosts/headless/EglContext.h"

#include "hosts/common/EglSetup.h"

#include <EGL/eglext.h>
#include <GL/gl.h>

#include <algorithm>

namespace {

EGLDisplay SurfacelessDisplay(std::string* error)
{
    // Tried once: the reason it failed stays the reason.
    static std::string reason;
    static const EGLDisplay display = EglPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY,
                                                         "EGL_MESA_platform_surfaceless", "surfaceless", &reason);
    *error = reason;
    return display;
}

} // namespace

std::unique_ptr<EglContext> EglContext::create(int depthBits, std::string* error)
{
    std::string reason;
    EGLDisplay display = SurfacelessDisplay(&reason);
    if (display == EGL_NO_DISPLAY) {
        *error = reason;
        return nullptr;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                                       EGL_DEPTH_SIZE, std::max(depthBits, 1), EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &count) || count < 1) {
        *error = "no EGL configuration with RGB and a depth buffer for pbuffers";
        return nullptr;
    }
    EGLContext context = EglSaverContext(display, config, error);
    if (context == EGL_NO_CONTEXT)
        return nullptr;
    std::unique_ptr<EglContext> result(new EglContext(display, config, context));
    result->setDrawableSize(1, 1);
    if (result->surface_ == EGL_NO_SURFACE || !result->makeCurrentContext()) {
        *error = "cannot make the OpenGL context current";
        return nullptr;
    }
    return result;
}

EglContext::~EglContext() { EglDestroy(display_, surface_, context_); }

bool EglContext::makeCurrentContext() { return EglMakeCurrent(display_, surface_, context_); }

EglContext::Limits EglContext::drawableLimits()
{
    EGLint width = 0, height = 0, pixels = 0;
    eglGetConfigAttrib(display_, config_, EGL_MAX_PBUFFER_WIDTH, &width);
    eglGetConfigAttrib(display_, config_, EGL_MAX_PBUFFER_HEIGHT, &height);
    eglGetConfigAttrib(display_, config_, EGL_MAX_PBUFFER_PIXELS, &pixels);
    GLint viewport[2] = {width, height};
    if (makeCurrentContext())
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return {std::min<long>(width, viewport[0]), std::min<long>(height, viewport[1]), pixels};
}

void EglContext::setDrawableSize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (surface_ != EGL_NO_SURFACE && width == width_ && height == height_)
        return;
    const EGLint attributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display_, config_, attributes);
    if (surface == EGL_NO_SURFACE)
        return; // keep drawing into the old size rather than into nothing
    const bool wasCurrent = eglGetCurrentContext() == context_;
    EGLSurface old = surface_;
    surface_ = surface;
    width_ = width;
    height_ = height;
    if (wasCurrent || old == EGL_NO_SURFACE)
        eglMakeCurrent(display_, surface_, surface_, context_);
    if (old != EGL_NO_SURFACE)
        eglDestroySurface(display_, old);
}

std::vector<std::uint8_t> EglContext::readPixelsRGB()
{
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width_) * height_ * 3);
    if (!makeCurrentContext())
        return rgb;
    // RGBA rows are always 4-byte aligned, so the default pack state (which the saver relies on) can stay.
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width_) * height_ * 4);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* source = rgba.data() + static_cast<std::size_t>(height_ - 1 - y) * width_ * 4;
        std::uint8_t* target = rgb.data() + static_cast<std::size_t>(y) * width_ * 3;
        for (int x = 0; x < width_; ++x) {
            target[3 * x + 0] = source[4 * x + 0];
            target[3 * x + 1] = source[4 * x + 1];
            target[3 * x + 2] = source[4 * x + 2];
        }
    }
    return rgb;
}
