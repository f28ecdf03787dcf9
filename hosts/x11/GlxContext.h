// An OpenGL context on an X window through GLX, for OpenGLView.
//
// It follows the window's own visual. With a double-buffered visual the saver draws and reads back in the back
// buffer, and present() swaps after each frame. With a visual that has no depth buffer (some screen lockers give
// their default visual), the saver draws into an offscreen framebuffer with colour and depth of the window's size,
// and present() copies it to the window; the saver's zoom capture then reads the offscreen copy, which is what it
// drew. Otherwise the saver draws straight into the window, and present() only flushes.
#pragma once

#include "platform/OpenGLView.h"

#include <GL/glx.h>

#include <memory>
#include <string>

class GlxContext : public OpenGLContext {
public:
    // A context for `window`, whose visual is `visual`; null with a one-line reason.
    static std::unique_ptr<GlxContext> create(Display* display, Window window, const XVisualInfo& visual, std::string* error);
    ~GlxContext() override;

    bool makeCurrentContext() override;
    void setDrawableSize(int width, int height) override;

    // Shows the frame just drawn.
    void present();

    // The largest drawable this OpenGL can draw into: its largest viewport, and its largest renderbuffer when the
    // window's visual has no depth buffer and the drawing goes through a framebuffer object. Read when made.
    int maxWidth() const { return maxWidth_; }
    int maxHeight() const { return maxHeight_; }

    bool doubleBuffered() const { return doubleBuffered_; }
    bool offscreen() const { return framebuffer_ != 0; }

private:
    GlxContext(Display* display, Window window, GLXContext context) : display_(display), window_(window), context_(context) {}
    bool makeFramebuffer(int width, int height);
    void releaseFramebuffer();

    Display* display_;
    Window window_;
    GLXContext context_;
    bool doubleBuffered_ = false;
    bool needsOffscreen_ = false;
    unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    int maxWidth_ = 0, maxHeight_ = 0;
};
