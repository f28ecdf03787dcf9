// The vertex-array object format: one contiguous block of big-endian data, read in place.
//
//   ObjectHeader        14 bytes              seven unsigned 16-bit words (below)
//   vertices            6 x nVertices         signed 16-bit x, y, z in object units
//   textured triangles  40 x nTxtTrigs        TexturedTriangle records
//   coloured triangles  24 x nColTrigs        ColouredTriangle records
//   colour tags         8 x nColTags          ColourTag records (never interpreted)
//   texture count       4                     signed 32-bit
//   texture data        rest                  per texture: 32-bit width, 32-bit height, width x height x 3 bytes RGB
//
// Regions follow one another with no padding, so the record types below are byte views (alignment 1) with
// accessors that decode the big-endian fields. Counts and vertex indices must stay at or below 32,767: the walkers
// count with signed 16-bit indices. A triangle's corner order sets its face: the normal is
// (P[i1] - P[i0]) x (P[i2] - P[i0]).
#pragma once

#include "support/data/BigEndian.h"

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kObjectHeaderSize = 14;
inline constexpr std::size_t kVertexSize = 6;
inline constexpr std::size_t kTexturedTriangleSize = 40;
inline constexpr std::size_t kColouredTriangleSize = 24;
inline constexpr std::size_t kColourTagSize = 8;
inline constexpr std::size_t kTextureCountSize = 4;
inline constexpr std::int32_t kMaxObjectCount = 32767;

struct ObjectHeader {
    std::uint8_t bytes[kObjectHeaderSize];

    std::uint16_t nVertices() const { return inkspin::ReadBE16(bytes + 0); }
    std::uint16_t nTxtTrigs() const { return inkspin::ReadBE16(bytes + 2); }
    std::uint16_t nColTrigs() const { return inkspin::ReadBE16(bytes + 4); }
    std::uint16_t nColTags() const { return inkspin::ReadBE16(bytes + 6); }
    // The spans of the coordinates (maximum minus minimum); stored for information, never read by the saver.
    std::uint16_t extentX() const { return inkspin::ReadBE16(bytes + 8); }
    std::uint16_t extentY() const { return inkspin::ReadBE16(bytes + 10); }
    std::uint16_t extentZ() const { return inkspin::ReadBE16(bytes + 12); }
};

struct ColouredTriangle {
    std::uint8_t bytes[kColouredTriangleSize];

    std::int16_t index(int corner) const { return inkspin::ReadBES16(bytes + 2 * corner); }
    std::int16_t i0() const { return index(0); }
    std::int16_t i1() const { return index(1); }
    std::int16_t i2() const { return index(2); }
    // The centre of the quad the triangle forms with its partner; never read by the saver.
    std::int16_t centre(int axis) const { return inkspin::ReadBES16(bytes + 6 + 2 * axis); }
    // Red, green, blue in 0..1; the renderer draws in its own shade colour instead.
    float colour(int channel) const { return inkspin::ReadBEFloat(bytes + 12 + 4 * channel); }
};

// One record every 40 bytes, in the layout and in every walk over it; the fields fill 38.
struct TexturedTriangle {
    std::uint8_t bytes[kTexturedTriangleSize];

    std::int16_t index(int corner) const { return inkspin::ReadBES16(bytes + 2 * corner); }
    std::int16_t i0() const { return index(0); }
    std::int16_t i1() const { return index(1); }
    std::int16_t i2() const { return index(2); }
    std::int16_t texture() const { return inkspin::ReadBES16(bytes + 12); }
    float s(int corner) const { return inkspin::ReadBEFloat(bytes + 14 + 4 * corner); }
    float t(int corner) const { return inkspin::ReadBEFloat(bytes + 26 + 4 * corner); }
};

struct ColourTag {
    std::uint8_t bytes[kColourTagSize];
};

static_assert(sizeof(ObjectHeader) == 14 && alignof(ObjectHeader) == 1);
static_assert(sizeof(ColouredTriangle) == 24 && alignof(ColouredTriangle) == 1);
static_assert(sizeof(TexturedTriangle) == 40 && alignof(TexturedTriangle) == 1);
static_assert(sizeof(ColourTag) == 8 && alignof(ColourTag) == 1);

// The record a load fills: seven pointers into one object's data. The record belongs to the caller and must outlive
// the module the object is loaded into (the module keeps a pointer to it); the data belongs to the module. After the
// module is deleted the pointers lead into released memory until the record is loaded again.
struct VertexArrayObject {
    ObjectHeader* Header;           // first byte of the data, also the address of the pool block that holds it
    std::uint8_t* SVertexArray;     // data + 14
    TexturedTriangle* offTxtTrigs;  // SVertexArray + 6 x nVertices
    ColouredTriangle* offColTrigs;  // offTxtTrigs + 40 x nTxtTrigs
    ColourTag* offColTags;          // offColTrigs + 24 x nColTrigs
    std::uint8_t* nTextures;        // offColTags + 8 x nColTags: the signed 32-bit texture count
    std::uint8_t* offTxtData;       // nTextures + 4
};

// Vertex k's coordinate on one axis (0 x, 1 y, 2 z).
inline std::int16_t ObjectVertexCoordinate(const VertexArrayObject& object, int vertex, int axis)
{
    return inkspin::ReadBES16(object.SVertexArray + kVertexSize * static_cast<std::size_t>(vertex) + 2 * axis);
}

// Whether `length` bytes hold a well-formed object: the header and every region its counts imply (texture data
// included), no count above 32,767, and every triangle's vertex indices within 0..nVertices-1. Reads nothing past
// `length`.
bool ObjectDataIsValid(const std::uint8_t* data, std::size_t length);
