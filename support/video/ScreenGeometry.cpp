#include "support/video/ScreenGeometry.h"

namespace {

struct ScreenGeometry {
    std::int16_t width = 0;
    std::int16_t height = 0;
};

ScreenGeometry gScreenGeometry;

} // namespace

void VideoSetWidth(std::int16_t width) { gScreenGeometry.width = width; }
void VideoSetHeight(std::int16_t height) { gScreenGeometry.height = height; }
std::int32_t VideoGetWidth() { return gScreenGeometry.width; }
std::int32_t VideoGetHeight() { return gScreenGeometry.height; }
