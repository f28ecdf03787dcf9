// An OpenGL context on a Wayland surface, for OpenGLView: EGL on Mesa's Wayland platform, desktop OpenGL with a
// compatibility profile (the saver draws in fixed function), a double-buffered window surface with a depth buffer.
//
// The saver draws and reads back (the zoom capture) in the back buffer; present() swaps, which attaches and commits
// the buffer. Swaps never wait: the host paces frames by the compositor's frame callbacks itself, so that one output
// that shows nothing (hidden, powered down) cannot stall the others. Sizes are in buffer pixels (surface size times
// the buffer scale).
#pragma once

#include "platform/OpenGLView.h"

#include <EGL/egl.h>

#include <memory>
#include <string>

struct wl_display;
struct wl_surface;
struct wl_egl_window;

// The process's EGL display on the compositor's connection, initialised on first use; EGL_NO_DISPLAY with a
// one-line reason. WaylandEglRelease terminates it (after every context is gone).
EGLDisplay WaylandEglDisplay(wl_display* connection, std::string* error);
void WaylandEglRelease();

class WaylandEglContext : public OpenGLContext {
public:
    // A context drawing into `surface` at width x height pixels; null with a one-line reason.
    static std::unique_ptr<WaylandEglContext> create(EGLDisplay display, wl_surface* surface, int width, int height,
                                                     std::string* error);
    ~WaylandEglContext() override;

    bool makeCurrentContext() override;
    // Resizes the window buffer; the next frame drawn has the new size.
    void setDrawableSize(int width, int height) override;

    // Shows the frame just drawn (attaches, damages and commits the surface); false when EGL could not.
    bool present();

    // The largest drawable OpenGL can draw (its largest viewport), read when made.
    int maxWidth() const { return maxWidth_; }
    int maxHeight() const { return maxHeight_; }

private:
    WaylandEglContext(EGLDisplay display) : display_(display) {}

    EGLDisplay display_;
    EGLContext context_ = EGL_NO_CONTEXT;
    EGLSurface surface_ = EGL_NO_SURFACE;
    wl_egl_window* window_ = nullptr;
    int width_ = 0, height_ = 0;
    int maxWidth_ = 0, maxHeight_ = 0;
};
