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
        auto put16 = [&](int v) {
            data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
            data.push_back(static_cast<std::uint8_t>(v & 0xFF));
        };
        auto put32 = [&](std::int64_t v) {
            put16(static_cast<int>((v >> 16) & 0xFFFF));
            put16(static_cast<int>(v & 0xFFFF));
        };
        for (int word : {int(vertices.size()), int(texturedTriangles.size()), int(colouredTriangles.size()), colourTags, 0, 0, 0})
            put16(word);
        for (const auto& v : vertices)
            for (int c : v)
                put16(c);
        for (const auto& t : texturedTriangles) {
            for (int i : t)
                put16(i);
            data.resize(data.size() + 40 - 6, 0);
        }
        for (const auto& t : colouredTriangles) {
            for (int i : t)
                put16(i);
            data.resize(data.size() + 24 - 6, 0);
        }
        data.resize(data.size() + 8 * static_cast<std::size_t>(colourTags), 0);
        put32(static_cast<std::int64_t>(textures.size()));
        for (const auto& t : textures) {
            put32(t[0]);
            put32(t[1]);
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
