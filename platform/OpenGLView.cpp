#include "platform/OpenGLView.h"

#include "support/numeric/Truncate.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

OpenGLContextProvider& Provider()
{
    static OpenGLContextProvider provider;
    return provider;
}

} // namespace

void OpenGLSetContextProvider(OpenGLContextProvider provider) { Provider() = std::move(provider); }

OpenGLPixelFormat::OpenGLPixelFormat(const std::uint32_t* attributes)
{
    for (const std::uint32_t* a = attributes; a != nullptr && *a != 0; ++a) {
        if (*a == kPixelFormatDepthSize && a[1] != 0)
            depthSize_ = static_cast<int>(*++a);
        else if (*a == kPixelFormatDoubleBuffer)
            doubleBuffered_ = true;
    }
}

OpenGLView::OpenGLView(Rect frame, const OpenGLPixelFormat& format) : View(frame), format_(format) {}

OpenGLContext* OpenGLView::openGLContext()
{
    if (context_ == nullptr && Provider())
        context_ = Provider()(format_);
    return context_;
}

void OpenGLView::setFrameSize(Size newSize)
{
    View::setFrameSize(newSize);
    OpenGLContext* context = openGLContext();
    if (context == nullptr)
        return;
    const int width = std::max(1, inkspin::TruncateToInt32(newSize.width));
    const int height = std::max(1, inkspin::TruncateToInt32(newSize.height));
    context->setDrawableSize(width, height);
    if (context->makeCurrentContext())
        glViewport(0, 0, width, height);
}
