#include "platform/ScreenSaverView.h"

bool ScreenSaverView::initWithFrame(Rect frame, bool isPreview)
{
    View::setFrameSize(frame.size()); // the frame as given; sizing proper comes with setFrameSize
    isPreview_ = isPreview;
    return true;
}
