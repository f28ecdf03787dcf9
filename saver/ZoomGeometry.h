// Where the zoom background captures and draws, for a drawing area of W x H pixels and a zoom factor.
//
// The capture is the central block of the frame, 128 pixels wide and h = H x 128 / W rows high (at most 128), read
// from (x, y). The draw is a rectangle centred on the area, `scale` times its width, showing the texture's bottom
// t = H / W of rows (at most 1). Arithmetic is single precision; every float is truncated toward zero with the
// defined helper, so a hand-edited factor of NaN, infinity or 1e30 still gives a defined (if empty or huge)
// rectangle.
#pragma once

#include "support/numeric/Truncate.h"

#include <algorithm>
#include <cstdint>

struct ZoomGeometry {
    std::int32_t captureHeight; // h, rows of the capture (and of the texture that they replace)
    std::int32_t captureX;
    std::int32_t captureY;
    float topTexCoord;          // t
    float dx;
    float dy;
    std::int32_t x0, x1, y0, y1; // rectangle corners in pixels: left, right, bottom, top
};

inline constexpr std::int32_t kZoomTextureSize = 128;

// W and H must not be 0 (the caller draws nothing then).
inline ZoomGeometry ComputeZoomGeometry(std::int32_t width, std::int32_t height, float scale)
{
    using inkspin::TruncateToInt32;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    ZoomGeometry g{};
    g.captureHeight = std::min((height * kZoomTextureSize) / width, kZoomTextureSize);
    g.captureX = TruncateToInt32((w - 128.0f) * 0.5f);
    g.captureY = TruncateToInt32((h - static_cast<float>(g.captureHeight)) * 0.5f);
    g.topTexCoord = std::min(h / w, 1.0f);
    g.dx = w * ((scale - 1.0f) * 0.5f);
    g.dy = g.topTexCoord * g.dx;
    g.x0 = TruncateToInt32(-g.dx);
    g.x1 = TruncateToInt32(w + g.dx);
    g.y0 = TruncateToInt32(-g.dy);
    g.y1 = TruncateToInt32(h + g.dy);
    return g;
}
