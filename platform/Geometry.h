// Rectangles and sizes of views, in pixels, as 32-bit floats (the host may pass fractional sizes).
#pragma once

struct Size {
    float width = 0.0f;
    float height = 0.0f;
};

struct Rect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    Size size() const { return {width, height}; }
};

inline constexpr Rect kZeroRect{};
