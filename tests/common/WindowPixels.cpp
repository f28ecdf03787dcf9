#include "tests/common/WindowPixels.h"

#include <X11/Xutil.h>

std::vector<Pixel> WindowPixels(Display* display, Window window)
{
    XWindowAttributes a{};
    std::vector<Pixel> pixels;
    if (!XGetWindowAttributes(display, window, &a))
        return pixels;
    XImage* image = XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    for (int y = 0; image != nullptr && y < a.height; ++y) {
        for (int x = 0; x < a.width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back({int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF)});
        }
    }
    if (image != nullptr)
        XDestroyImage(image);
    return pixels;
}
