// Builds small vertex-array objects by hand, as a stored ("NULL") packed descriptor, for tests of the loader and
// the normal generation.
#pragma once

#include "support/data/BigEndian.h"
#include "support/memory/PackedData.h"

#include <array>
#include <cstdint>
#include <vector>

struct ObjectBuilder {
    std::vector<std::array<int, 3>> vertices;
    std::vector<std::array<int, 3>> colouredTriangles;
    std::vector<std::array<int, 3>> texturedTriangles;
    int colourTags = 0;
    std::vector<std::array<int, 2>> textures; // width, height; pixels are zero

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> data;
        auto put = [&](std::uint32_t value, std::size_t width) { // big-endian, 2 or 4 bytes
            data.resize(data.size() + width);
            width == 2 ? inkspin::WriteBE16(&data[data.size() - 2], std::uint16_t(value))
                       : inkspin::WriteBE32(&data[data.size() - 4], value);
        };
        for (int word : {int(vertices.size()), int(texturedTriangles.size()), int(colouredTriangles.size()), colourTags, 0, 0, 0})
            put(word, 2);
        for (const auto& v : vertices)
            for (int c : v)
                put(c, 2);
        // Each triangle's three indices, then the rest of its record (40 bytes textured, 24 coloured) zeroed.
        for (const auto& [triangles, size] : {std::pair{&texturedTriangles, 40}, std::pair{&colouredTriangles, 24}}) {
            for (const auto& t : *triangles) {
                for (int i : t)
                    put(i, 2);
                data.resize(data.size() + size - 6, 0);
            }
        }
        data.resize(data.size() + 8 * static_cast<std::size_t>(colourTags), 0);
        put(std::uint32_t(textures.size()), 4);
        for (const auto& t : textures) {
            put(t[0], 4);
            put(t[1], 4);
            data.resize(data.size() + static_cast<std::size_t>(t[0]) * static_cast<std::size_t>(t[1]) * 3, 0);
        }
        return data;
    }
};

// A stored descriptor over `data`, which must outlive it.
inline PackedDataDescriptor StoredDescriptor(const std::vector<std::uint8_t>& data)
{
    return {kPackedMagicNULL, static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(data.size()), data.data()};
}
