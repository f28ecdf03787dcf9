// The process-wide screen geometry: the width and height, in pixels, of the area the saver draws into.
//
// The view records its size here whenever it is (re)established and before each frame it draws, and the camera and
// the zoom background read it. One pair serves the whole process: with several views (one per output), each frame
// is drawn with the size of the view that draws it.
// Fields are signed 16-bit and start at 0 x 0; callers pass the low 16 bits of a truncated frame size
// (see TruncateToLow16). No validation, no notification. Main thread only.
#pragma once

#include <cstdint>

void VideoSetWidth(std::int16_t width);
void VideoSetHeight(std::int16_t height);

// The stored values, sign-extended.
std::int32_t VideoGetWidth();
std::int32_t VideoGetHeight();
