#include "platform/ScreenSaverView.h"

bool ScreenSaverView::initWithFrame(Rect frame, bool isPreview)
{
    setFrameSize(frame.size());
    isPreview_ = isPreview;
    return true;
}
