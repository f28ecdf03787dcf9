// The OpenGL child view: a view whose drawable receives the saver's OpenGL drawing.
//
// A view is made from a pixel format (an attribute list of 32-bit words ending in 0). Its context comes from the
// host: every host installs an OpenGLContextProvider before it creates views, and the view asks it for a context the
// first time one is needed. The host owns the contexts it hands out and keeps them alive as long as the views.
// setFrameSize also resizes the drawable and sets the viewport to the whole of it, so the saver itself never sets a
// viewport. Main thread only.
#pragma once

#include "platform/View.h"

#include <cstdint>
#include <functional>
#include <vector>

// Attribute words, as the pixel-format list spells them.
inline constexpr std::uint32_t kPixelFormatDoubleBuffer = 5;
inline constexpr std::uint32_t kPixelFormatDepthSize = 12; // followed by the depth in bits
inline constexpr std::uint32_t kPixelFormatMinimumPolicy = 51;
inline constexpr std::uint32_t kPixelFormatClosestPolicy = 74;

class OpenGLPixelFormat {
public:
    // Reads the attribute list up to its terminating 0.
    explicit OpenGLPixelFormat(const std::uint32_t* attributes);

    int depthSize() const { return depthSize_; }
    bool doubleBuffered() const { return doubleBuffered_; }

private:
    int depthSize_ = 0;
    bool doubleBuffered_ = false;
};

// A context and its drawable, as a host provides them.
class OpenGLContext {
public:
    virtual ~OpenGLContext() = default;
    // Makes this context current on the calling thread; false when the host can no longer draw.
    virtual bool makeCurrentContext() = 0;
    // The drawable now has this size in pixels (at least 1 x 1). Hosts whose drawable follows a window do nothing.
    virtual void setDrawableSize(int width, int height) = 0;
};

// Returns the context for a new view's pixel format, or null when none can be had. Installed by the host.
using OpenGLContextProvider = std::function<OpenGLContext*(const OpenGLPixelFormat&)>;
void OpenGLSetContextProvider(OpenGLContextProvider provider);

class OpenGLView : public View {
public:
    OpenGLView(Rect frame, const OpenGLPixelFormat& format);

    // The host's context for this view, made on first use; null when the host provides none.
    OpenGLContext* openGLContext();
    const OpenGLPixelFormat& pixelFormat() const { return format_; }

    void setFrameSize(Size newSize) override;

private:
    OpenGLPixelFormat format_;
    OpenGLContext* context_ = nullptr;
};
