// Float-to-integer truncation that is defined for every input.
//
// A plain cast from float to int is undefined in C++ for NaN, infinities and values outside the target range,
// and several places in the saver truncate floats that come from outside (a frame size from the host, a zoom
// factor from the preferences file). These helpers give exactly the cast's result (truncation toward zero) for
// every value in range, and a defined one otherwise: NaN gives 0, values beyond the range saturate at its ends.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace inkspin {

constexpr std::int32_t TruncateToInt32(double value)
{
    if (value != value) // NaN
        return 0;
    // Both bounds are exact in double; anything at or past them saturates.
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// The low 16 bits of the truncated value, as a signed 16-bit number: what the screen geometry setters receive
// from a frame size (sizes above 32,767 wrap, as the 16-bit fields always did).
constexpr std::int16_t TruncateToLow16(double value)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(TruncateToInt32(value))));
}

// The low 8 bits of the truncated value, unsigned: the frame loop's tick count.
constexpr std::uint8_t TruncateToLow8(double value)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(TruncateToInt32(value)));
}

} // namespace inkspin
