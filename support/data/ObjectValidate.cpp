#include "support/data/ObjectFormat.h"

namespace {

using inkspin::ReadBES16;
using inkspin::ReadBES32;

bool IndicesInRange(const std::uint8_t* records, std::size_t count, std::size_t stride, std::int32_t nVertices)
{
    for (std::size_t t = 0; t < count; ++t) {
        for (int corner = 0; corner < 3; ++corner) {
            const std::int16_t index = ReadBES16(records + t * stride + 2 * corner);
            if (index < 0 || index >= nVertices)
                return false;
        }
    }
    return true;
}

// Every texture's header and pixels lie within [cursor, end); sizes are computed in 64 bits so no product wraps.
bool TexturesFit(const std::uint8_t* cursor, const std::uint8_t* end, std::int32_t count)
{
    if (count < 0)
        return false;
    for (std::int32_t i = 0; i < count; ++i) {
        if (end - cursor < 8)
            return false;
        const std::int64_t width = ReadBES32(cursor);
        const std::int64_t height = ReadBES32(cursor + 4);
        cursor += 8;
        if (width < 0 || height < 0)
            return false;
        // Both sides are below 2^31, so their product fits; the byte count is compared without multiplying again.
        const std::int64_t pixels = width * height;
        if (pixels > (end - cursor) / 3)
            return false;
        cursor += pixels * 3;
    }
    return true;
}

} // namespace

bool ObjectDataIsValid(const std::uint8_t* data, std::size_t length)
{
    if (data == nullptr || length < kObjectHeaderSize)
        return false;
    const auto* header = reinterpret_cast<const ObjectHeader*>(data);
    const std::int32_t nVertices = header->nVertices();
    const std::size_t nTxtTrigs = header->nTxtTrigs();
    const std::size_t nColTrigs = header->nColTrigs();
    const std::size_t nColTags = header->nColTags();
    if (nVertices > kMaxObjectCount || nTxtTrigs > kMaxObjectCount || nColTrigs > kMaxObjectCount
        || nColTags > kMaxObjectCount)
        return false;

    const std::size_t txtTrigs = kObjectHeaderSize + kVertexSize * static_cast<std::size_t>(nVertices);
    const std::size_t colTrigs = txtTrigs + kTexturedTriangleSize * nTxtTrigs;
    const std::size_t colTags = colTrigs + kColouredTriangleSize * nColTrigs;
    const std::size_t textureCount = colTags + kColourTagSize * nColTags;
    const std::size_t textureData = textureCount + kTextureCountSize;
    if (textureData > length)
        return false;

    return IndicesInRange(data + txtTrigs, nTxtTrigs, kTexturedTriangleSize, nVertices)
        && IndicesInRange(data + colTrigs, nColTrigs, kColouredTriangleSize, nVertices)
        && TexturesFit(data + textureData, data + length, ReadBES32(data + textureCount));
}
