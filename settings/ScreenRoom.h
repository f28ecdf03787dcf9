// The room a window of the settings program may take: its screen's available area (panels left out), less what a
// window manager's frame may add around the window. The window, its Help and the colour dialog all fit in it.
#pragma once

#include <QSize>

class QWidget;

// The largest size, in the widget's own (device-independent) pixels, a window on `widget`'s screen may have; a
// 1024x768 screen's where the widget has no screen yet.
QSize RoomOnScreen(const QWidget& widget);
