// The screen-saver base view: what every host relies on of a saver, and what a saver inherits.
//
// The host creates one view per screen (or one for a preview), calls initWithFrame, sizes it with setFrameSize,
// calls startAnimation, then animateOneFrame about every animationTimeInterval() seconds, and stopAnimation before
// any further start. Everything happens on the host's main thread, one call at a time.
#pragma once

#include "platform/InterfaceObjects.h"
#include "platform/View.h"

class ScreenSaverView : public View {
public:
    ScreenSaverView() = default;

    // False means the view could not be made (the host then drops it).
    virtual bool initWithFrame(Rect frame, bool isPreview);

    virtual void startAnimation() { isAnimating_ = true; }
    virtual void stopAnimation() { isAnimating_ = false; }
    virtual void drawRect(Rect) {}
    virtual void animateOneFrame() {}
    virtual bool hasConfigureSheet() { return false; }
    // The settings window, or null when the saver has none.
    virtual SheetWindow* configureSheet() { return nullptr; }

    bool isPreview() const { return isPreview_; }
    bool isAnimating() const { return isAnimating_; }
    // Whether the last animateOneFrame drew a new frame (it may draw nothing: less than a tick passed, the clock
    // went back, the view is idle). A host presents only a frame that was drawn: swapping after a call that drew
    // nothing would show a back buffer nobody drew into.
    bool frameWasDrawn() const { return frameWasDrawn_; }
    // Seconds between two animateOneFrame calls.
    double animationTimeInterval() const { return animationTimeInterval_; }
    void setAnimationTimeInterval(double seconds) { animationTimeInterval_ = seconds; }

protected:
    void setFrameWasDrawn(bool drawn) { frameWasDrawn_ = drawn; }

private:
    bool frameWasDrawn_ = false;
    bool isPreview_ = false;
    bool isAnimating_ = false;
    double animationTimeInterval_ = 1.0 / 30.0;
};
