#include "saver/InkspinView.h"

#include "saver/DefinedValues.h"

#include "platform/WallClock.h"
#include "support/data/ObjectModule.h"
#include "support/data/TextureFilter.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"
#include "support/numeric/Truncate.h"
#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>

#include <memory>

namespace {

// Depth 16, closest match, no double buffering.
constexpr std::uint32_t kPixelFormatAttributes[] = {kPixelFormatDepthSize, 16, kPixelFormatMinimumPolicy,
                                                    kPixelFormatClosestPolicy, 0};

double Seconds(const WallTime& time)
{
    return static_cast<double>(time.seconds) + static_cast<double>(time.microseconds) * 0.000001;
}

} // namespace

InkspinView::~InkspinView()
{
    if (gIsInitialized)
        stopAnimation();
}

bool InkspinView::initWithFrame(Rect frame, bool isPreview)
{
    if (!ScreenSaverView::initWithFrame(frame, isPreview))
        return false;
    const OpenGLPixelFormat format(kPixelFormatAttributes);
    gInkspinView = addSubview(std::make_unique<OpenGLView>(kZeroRect, format));
    setAnimationTimeInterval(kAnimationInterval);
    loadPrefs();
    gIsPreview = isPreview ? 1 : 0;
    return true;
}

void InkspinView::setFrameSize(Size newSize)
{
    // The geometry gets the new size, not the frame as it was before this call: every reader of the geometry
    // (camera, background) wants the size of the area being drawn now.
    if (gInkspinView != nullptr) {
        VideoSetWidth(inkspin::TruncateToLow16(newSize.width));
        VideoSetHeight(inkspin::TruncateToLow16(newSize.height));
    }
    ScreenSaverView::setFrameSize(newSize);
    if (gInkspinView != nullptr)
        gInkspinView->setFrameSize(newSize);
}

bool InkspinView::makeCurrentContext()
{
    OpenGLContext* context = gInkspinView == nullptr ? nullptr : gInkspinView->openGLContext();
    return context != nullptr && context->makeCurrentContext();
}

void InkspinView::startAnimation()
{
    // Without a child view or a context to draw into, there is nothing to load: the view stays idle.
    if (makeCurrentContext()) {
        inkspin::SetClearColour(gBackgroundColor);
        glClear(GL_COLOR_BUFFER_BIT);
        glFlush(); // the screen shows the background colour at once
        initGL();
        initInkspin();
    }
    ScreenSaverView::startAnimation();
}

void InkspinView::initInkspin()
{
    gInkspinObject = &gInkspinObj;
    gFadeIsReady = 0;
    gPerAngle = kInitialPerAngle;
    gTime = 0.0;
    gRotAngle = 0.0f;

    TextureSetFilterMode(1);
    if (gZoomBackground) {
        setNewBuffer();
        doBackground(true); // the zoom texture holds the cleared screen before the first frame
    }

    gObjectClass = ModuleCreate(kModuleName);
    const bool loaded = gObjectClass != 0 && ObjectLoadEmbedded(gObjectClass, gInkspinObject) != 0
        && (gInkspinVertexArray = ObjectMakeVertexArray(gInkspinObject, kVertexScale)) != nullptr
        && (gInkspinNormalArray = ObjectMakeNormalArray(gInkspinObject, gInkspinVertexArray)) != nullptr;
    if (!loaded) {
        // Give back everything this start made, the zoom buffer and texture included; the zoom choice stays.
        releaseStartResources(true);
        return;
    }

    doMakeShadeTexture();
    gIsInitialized = 1;
    gTime = Seconds(WallClockNow());
}

void InkspinView::releaseStartResources(bool contextIsCurrent)
{
    if (gBufferPixels != nullptr) {
        // Texture names belong to this view's context: with another one current, the name could be someone else's.
        if (contextIsCurrent)
            glDeleteTextures(1, &gBackTexture);
        gBackTexture = 0;
        MemoryFree(gBufferPixels);
        gBufferPixels = nullptr;
    }
    if (gObjectClass != 0) {
        ModuleDelete(gObjectClass);
        gObjectClass = 0;
    }
    MemoryFree(gInkspinNormalArray);
    gInkspinNormalArray = nullptr;
    MemoryFree(gInkspinVertexArray);
    gInkspinVertexArray = nullptr;
}

void InkspinView::animateOneFrame()
{
    setFrameWasDrawn(false);
    if (!gIsInitialized)
        return;
    const double now = Seconds(WallClockNow());
    if (now < gTime) // the clock went back
        gTime = now;
    const double elapsed = now - gTime;
    if (elapsed < kAnimationInterval)
        return;
    // The count wraps at 8 bits, as it always has; the helper keeps absurd clock jumps defined.
    const std::uint8_t ticks = inkspin::TruncateToLow8(elapsed * kTicksPerSecond);
    gTime = gTime + ticks * kAnimationInterval;
    if (!makeCurrentContext())
        return;
    // The geometry is one for the process: with views of several sizes (one per output), each draws with its own.
    VideoSetWidth(inkspin::TruncateToLow16(frame().width));
    VideoSetHeight(inkspin::TruncateToLow16(frame().height));

    if (gSettingsChanged) {
        if (gZoomBackground && !gNewZoomBackground) {
            MemoryFree(gBufferPixels);
            glDeleteTextures(1, &gBackTexture);
            gBackTexture = 0;
            gZoomBackground = 0;
            gBufferPixels = nullptr;
        }
        if (!gZoomBackground && gNewZoomBackground)
            setNewBuffer();
        gBufferScale = gNewBufferScale;
        inkspin::SetClearColour(gBackgroundColor);
        if (gGenerateNewShade) {
            glDeleteTextures(1, &gShadeTexture);
            doMakeShadeTexture();
            gGenerateNewShade = 0;
        }
        gSettingsChanged = 0;
    }

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    doBackground(false);
    renderInkspin(ticks);
    doBackground(true);
    glFlush();
    glFinish();
    setFrameWasDrawn(true);
}

void InkspinView::stopAnimation()
{
    if (gIsInitialized) {
        const bool current = makeCurrentContext();
        if (current)
            glDeleteTextures(1, &gShadeTexture);
        gShadeTexture = 0;
        releaseStartResources(current);
        gIsInitialized = 0;
    }
    ScreenSaverView::stopAnimation();
}

void InkspinView::drawRect(Rect rect) { ScreenSaverView::drawRect(rect); }
