#include "hosts/wayland/WaylandEglContext.h"

#include "hosts/common/EglSetup.h"

#include <EGL/eglext.h>
#include <GL/gl.h>
#include <wayland-egl.h>

#include <algorithm>
#include <vector>

namespace {

EGLDisplay gDisplay = EGL_NO_DISPLAY;

} // namespace

EGLDisplay WaylandEglDisplay(wl_display* connection, std::string* error)
{
    if (gDisplay != EGL_NO_DISPLAY)
        return gDisplay;
    gDisplay = EglPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, connection, "EGL_KHR_platform_wayland", "Wayland", error);
    return gDisplay;
}

void WaylandEglRelease()
{
    if (gDisplay == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(gDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglTerminate(gDisplay);
    eglReleaseThread();
    gDisplay = EGL_NO_DISPLAY;
}

std::unique_ptr<WaylandEglContext> WaylandEglContext::create(EGLDisplay display, wl_surface* surface, int width,
                                                             int height, std::string* error)
{
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                       EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 0,
                                       EGL_DEPTH_SIZE, 16, EGL_NONE};
    // EGL lists deeper colour first: a 10-bit buffer would cost the compositor a conversion that rounds down, so
    // the saver takes the first configuration of exactly 8 bits a channel, opaque where one is.
    EGLint count = 0;
    eglChooseConfig(display, configAttributes, nullptr, 0, &count);
    std::vector<EGLConfig> configs(static_cast<std::size_t>(std::max(count, 0)));
    if (count > 0)
        eglChooseConfig(display, configAttributes, configs.data(), count, &count);
    EGLConfig config = nullptr;
    EGLint best = 0;
    for (EGLConfig candidate : configs) {
        EGLint red = 0, green = 0, blue = 0, alpha = 0;
        eglGetConfigAttrib(display, candidate, EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, candidate, EGL_GREEN_SIZE, &green);
        eglGetConfigAttrib(display, candidate, EGL_BLUE_SIZE, &blue);
        eglGetConfigAttrib(display, candidate, EGL_ALPHA_SIZE, &alpha);
        const EGLint score = red == 8 && green == 8 && blue == 8 ? (alpha == 0 ? 2 : 1) : 0;
        if (score > best) {
            best = score;
            config = candidate;
        }
    }
    if (config == nullptr) {
        *error = "no EGL configuration with 8-bit RGB and a depth buffer for Wayland windows";
        return nullptr;
    }
    std::unique_ptr<WaylandEglContext> result(new WaylandEglContext(display));
    result->context_ = EglSaverContext(display, config, error);
    if (result->context_ == EGL_NO_CONTEXT)
        return nullptr;
    result->width_ = std::max(width, 1);
    result->height_ = std::max(height, 1);
    result->window_ = wl_egl_window_create(surface, result->width_, result->height_);
    if (result->window_ != nullptr)
        result->surface_ = eglCreatePlatformWindowSurface(display, config, result->window_, nullptr);
    if (result->surface_ == EGL_NO_SURFACE || !result->makeCurrentContext()) {
        *error = "cannot make an OpenGL context current on the Wayland surface";
        return nullptr;
    }
    eglSwapInterval(display, 0); // the host waits for the compositor's frame callbacks itself
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    result->maxWidth_ = viewport[0];
    result->maxHeight_ = viewport[1];
    return result;
}

WaylandEglContext::~WaylandEglContext()
{
    EglDestroy(display_, surface_, context_);
    if (window_ != nullptr) // after its EGL surface
        wl_egl_window_destroy(window_);
}

bool WaylandEglContext::makeCurrentContext() { return EglMakeCurrent(display_, surface_, context_); }

void WaylandEglContext::setDrawableSize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_)
        return;
    width_ = width;
    height_ = height;
    wl_egl_window_resize(window_, width, height, 0, 0);
}

bool WaylandEglContext::present()
{
    return eglSwapBuffers(display_, surface_) == EGL_TRUE;
}
