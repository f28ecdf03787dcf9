// Packed data: a descriptor that names a packing method, the packed and unpacked sizes and where the packed
// bytes lie, and MemoryUnpack, which turns it into usable bytes.
//
// Magic numbers compare as numbers, whatever the machine's byte order: "LZO1" is 0x4C5A4F31 (an LZO1X stream),
// "NULL" is 0x4E554C4C (stored as is). Sizes are in bytes.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kPackedMagicLZO1 = 0x4C5A4F31; // "LZO1"
inline constexpr std::uint32_t kPackedMagicNULL = 0x4E554C4C; // "NULL"

struct PackedDataDescriptor {
    std::uint32_t magic;
    std::uint32_t packedSize;   // length of the packed stream
    std::uint32_t unpackedSize; // length of the unpacked data; after a successful LZO1 unpack, the length produced
    const std::uint8_t* data;   // the packed bytes ("NULL": the data itself); not owned
};

// Unpacks a descriptor.
//  - "LZO1": decompresses into a new pool block of exactly `unpackedSize` bytes, bounded by that size, and returns
//    it; the caller owns it and releases it with MemoryFree. Any decompressor result but success (a corrupt stream,
//    an output overrun, trailing input) releases the block and returns null, and the descriptor is left as it was.
//  - "NULL": returns the descriptor's own data pointer; nothing is allocated and nobody frees it.
//  - anything else, a null descriptor or a null data pointer for "LZO1": null, nothing allocated.
// Every call unpacks anew; there is no cache.
std::uint8_t* MemoryUnpack(PackedDataDescriptor* descriptor);
