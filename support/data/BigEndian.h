// Reads and writes of big-endian values at any alignment. Object data is big-endian and read in place, and its
// regions follow one another with no padding, so a 32-bit value may sit at any even (or odd) address.
#pragma once

#include <bit>
#include <cstdint>

namespace inkspin {

inline std::uint16_t ReadBE16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::int16_t ReadBES16(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadBE16(p)); }

inline std::uint32_t ReadBE32(const std::uint8_t* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

inline std::int32_t ReadBES32(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadBE32(p)); }

inline float ReadBEFloat(const std::uint8_t* p) { return std::bit_cast<float>(ReadBE32(p)); }

inline void WriteBE16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

inline void WriteBE32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

inline void WriteBEFloat(std::uint8_t* p, float v) { WriteBE32(p, std::bit_cast<std::uint32_t>(v)); }

} // namespace inkspin
