#include "settings/ScreenRoom.h"

#include <QScreen>
#include <QWidget>

QSize RoomOnScreen(const QWidget& widget)
{
    // What a window manager's frame and title bar may take beyond the window's own size.
    constexpr int kFrameWidth = 16, kFrameHeight = 48;
    const QSize available = widget.screen() != nullptr ? widget.screen()->availableGeometry().size() : QSize(1024, 768);
    return available - QSize(kFrameWidth, kFrameHeight);
}
