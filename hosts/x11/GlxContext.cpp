#include "hosts/x11/GlxContext.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

// Framebuffer objects are OpenGL 3.0 (or ARB_framebuffer_object); they are looked up, not linked.
struct FramebufferFunctions {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer = nullptr;

    bool load()
    {
        auto get = [](const char* name) { return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)); };
        genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(get("glGenFramebuffers"));
        deleteFramebuffers = reinterpret_cast<PFNGLDELETEFRAMEBUFFERSPROC>(get("glDeleteFramebuffers"));
        bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(get("glBindFramebuffer"));
        genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(get("glGenRenderbuffers"));
        deleteRenderbuffers = reinterpret_cast<PFNGLDELETERENDERBUFFERSPROC>(get("glDeleteRenderbuffers"));
        bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(get("glBindRenderbuffer"));
        renderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(get("glRenderbufferStorage"));
        framebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(get("glFramebufferRenderbuffer"));
        checkFramebufferStatus = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(get("glCheckFramebufferStatus"));
        blitFramebuffer = reinterpret_cast<PFNGLBLITFRAMEBUFFERPROC>(get("glBlitFramebuffer"));
        return genFramebuffers && deleteFramebuffers && bindFramebuffer && genRenderbuffers && deleteRenderbuffers
            && bindRenderbuffer && renderbufferStorage && framebufferRenderbuffer && checkFramebufferStatus
            && blitFramebuffer;
    }
};

FramebufferFunctions gFbo;

} // namespace

std::unique_ptr<GlxContext> GlxContext::create(Display* display, Window window, const XVisualInfo& visual, std::string* error)
{
    XVisualInfo info = visual;
    int usesGL = 0, doubleBuffered = 0, depth = 0, rgba = 0;
    if (glXGetConfig(display, &info, GLX_USE_GL, &usesGL) != 0 || !usesGL) {
        *error = "the window's visual does not support OpenGL";
        return nullptr;
    }
    glXGetConfig(display, &info, GLX_RGBA, &rgba);
    if (!rgba) {
        *error = "the window's visual is not RGB (colour-indexed visuals are not supported)";
        return nullptr;
    }
    glXGetConfig(display, &info, GLX_DOUBLEBUFFER, &doubleBuffered);
    glXGetConfig(display, &info, GLX_DEPTH_SIZE, &depth);
    // A legacy GLX context is a compatibility-profile one: the saver draws in fixed function.
    GLXContext context = glXCreateContext(display, &info, nullptr, True);
    if (context == nullptr) {
        *error = "cannot create an OpenGL context for the window";
        return nullptr;
    }
    std::unique_ptr<GlxContext> result(new GlxContext(display, window, context));
    result->doubleBuffered_ = doubleBuffered != 0;
    result->needsOffscreen_ = depth == 0;
    if (!result->makeCurrentContext()) {
        *error = "cannot make the OpenGL context current on the window";
        return nullptr;
    }
    if (result->needsOffscreen_ && !gFbo.load()) {
        *error = "the window's visual has no depth buffer and OpenGL offers no framebuffer objects to draw aside";
        return nullptr;
    }
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    result->maxWidth_ = viewport[0];
    result->maxHeight_ = viewport[1];
    if (result->needsOffscreen_) {
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
        result->maxWidth_ = std::min(result->maxWidth_, static_cast<int>(renderbuffer));
        result->maxHeight_ = std::min(result->maxHeight_, static_cast<int>(renderbuffer));
    }
    return result;
}

GlxContext::~GlxContext()
{
    if (glXGetCurrentContext() == context_) {
        releaseFramebuffer();
        glXMakeCurrent(display_, None, nullptr);
    }
    glXDestroyContext(display_, context_);
}

bool GlxContext::makeCurrentContext()
{
    if (glXGetCurrentContext() == context_)
        return true;
    return glXMakeCurrent(display_, window_, context_) == True;
}

void GlxContext::setDrawableSize(int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!needsOffscreen_ || (width == width_ && height == height_ && framebuffer_ != 0))
        return;
    if (!makeCurrentContext())
        return;
    releaseFramebuffer();
    makeFramebuffer(width, height);
}

bool GlxContext::makeFramebuffer(int width, int height)
{
    gFbo.genRenderbuffers(1, &colour_);
    gFbo.bindRenderbuffer(GL_RENDERBUFFER, colour_);
    gFbo.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gFbo.genRenderbuffers(1, &depth_);
    gFbo.bindRenderbuffer(GL_RENDERBUFFER, depth_);
    gFbo.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    gFbo.genFramebuffers(1, &framebuffer_);
    gFbo.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gFbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    gFbo.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    width_ = width;
    height_ = height;
    if (gFbo.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        releaseFramebuffer();
        return false;
    }
    return true;
}

void GlxContext::releaseFramebuffer()
{
    if (framebuffer_ == 0)
        return;
    gFbo.bindFramebuffer(GL_FRAMEBUFFER, 0);
    gFbo.deleteFramebuffers(1, &framebuffer_);
    gFbo.deleteRenderbuffers(1, &colour_);
    gFbo.deleteRenderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
}

void GlxContext::present()
{
    if (!makeCurrentContext())
        return;
    if (framebuffer_ != 0) {
        gFbo.bindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        gFbo.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDrawBuffer(doubleBuffered_ ? GL_BACK : GL_FRONT);
        gFbo.blitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    // Flushed while the window is still the draw target: a front buffer is pushed to the window only then.
    if (doubleBuffered_)
        glXSwapBuffers(display_, window_);
    else
        glFlush();
    if (framebuffer_ != 0)
        gFbo.bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}
