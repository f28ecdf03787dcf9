// Unpacking and loading good, truncated, corrupted and hostile data: a clean failure or the right object, never a
// crash or a read out of bounds (this binary also runs under AddressSanitizer), and the pool as it was.
#include "support/data/EmbeddedObject.h"
#include "support/data/ObjectModule.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"
#include "tests/support/ObjectBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct PackedDataTest : ::testing::Test {
    std::size_t blocksBefore = 0;
    void SetUp() override { blocksBefore = MemoryLiveBlockCount(); }
    void TearDown() override { MemorySetFailAfter(-1); }

    // A heap copy of exactly `length` bytes, so that AddressSanitizer sees any read past its end.
    static std::unique_ptr<std::uint8_t[]> Copy(const std::uint8_t* bytes, std::size_t length)
    {
        auto copy = std::make_unique<std::uint8_t[]>(length == 0 ? 1 : length);
        std::memcpy(copy.get(), bytes, length);
        return copy;
    }

    // Loads the descriptor into a fresh module; expects failure and an unchanged pool, or success.
    int Load(PackedDataDescriptor descriptor)
    {
        const std::uint8_t module = ModuleCreate("packed data test");
        VertexArrayObject record{};
        const int loaded = ObjectLoadVA(module, &record, &descriptor);
        if (loaded == 1) {
            EXPECT_EQ(record.Header->nVertices(), 504);
            EXPECT_EQ(record.Header->nColTrigs(), 1152);
        }
        ModuleDelete(module);
        EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore);
        return loaded;
    }
};

TEST_F(PackedDataTest, EmbeddedDescriptorUnpacksToTheLattice)
{
    gEmbeddedObjectDescriptor.data = EmbeddedObjectBlob();
    std::uint8_t* first = MemoryUnpack(&gEmbeddedObjectDescriptor);
    std::uint8_t* second = MemoryUnpack(&gEmbeddedObjectDescriptor);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(gEmbeddedObjectDescriptor.unpackedSize, 30690u);
    const std::uint16_t header[7] = {504, 0, 1152, 0, 200, 200, 200};
    for (int w = 0; w < 7; ++w)
        EXPECT_EQ(inkspin::ReadBE16(first + 2 * w), header[w]);
    MemoryFree(first);
    EXPECT_EQ(inkspin::ReadBE16(second), 504) << "releasing one block leaves the other intact";
    MemoryFree(second);
    EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore);
}

TEST_F(PackedDataTest, MagicDecidesTheMethod)
{
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    PackedDataDescriptor stored = {kPackedMagicNULL, 0, 0, bytes};
    EXPECT_EQ(MemoryUnpack(&stored), bytes);
    PackedDataDescriptor unknown = {0, 4, 4, bytes};
    EXPECT_EQ(MemoryUnpack(&unknown), nullptr);
    PackedDataDescriptor byteString{};
    std::memcpy(&byteString.magic, "LZO1", 4); // the magic is a number, not bytes in memory
    byteString.data = bytes;
    EXPECT_EQ(MemoryUnpack(&byteString), nullptr);
    EXPECT_EQ(MemoryUnpack(nullptr), nullptr);
    EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore);
}

TEST_F(PackedDataTest, EveryTruncationFailsCleanly)
{
    const std::uint32_t size = EmbeddedObjectBlobSize();
    for (std::uint32_t length = 0; length < size; ++length) {
        auto copy = Copy(EmbeddedObjectBlob(), length);
        EXPECT_EQ(Load({kPackedMagicLZO1, length, 30690, copy.get()}), 0) << "length " << length;
    }
    auto whole = Copy(EmbeddedObjectBlob(), size);
    EXPECT_EQ(Load({kPackedMagicLZO1, size, 30690, whole.get()}), 1);
}

TEST_F(PackedDataTest, FlippedBytesNeverEscapeTheBlock)
{
    const std::uint32_t size = EmbeddedObjectBlobSize();
    for (std::uint32_t at = 0; at < size; at += 7) {
        auto copy = Copy(EmbeddedObjectBlob(), size);
        copy[at] ^= 0x5A;
        Load({kPackedMagicLZO1, size, 30690, copy.get()}); // either outcome, but clean
    }
}

TEST_F(PackedDataTest, StreamLongerThanDeclaredIsAnOverrun)
{
    PackedDataDescriptor descriptor = {kPackedMagicLZO1, EmbeddedObjectBlobSize(), 30000, EmbeddedObjectBlob()};
    EXPECT_EQ(MemoryUnpack(&descriptor), nullptr);
    EXPECT_EQ(descriptor.unpackedSize, 30000u) << "a failed unpack leaves the descriptor as it was";
    EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore);
}

// Hand-made objects that lie about their layout are refused before anything reads through them.
TEST_F(PackedDataTest, MalformedObjectsAreRefused)
{
    ObjectBuilder good;
    good.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    good.colouredTriangles = {{0, 1, 2}};
    good.texturedTriangles = {{2, 1, 0}};
    good.colourTags = 1;
    good.textures = {{2, 2}};
    std::vector<std::uint8_t> data = good.bytes();
    auto load = [&](const std::vector<std::uint8_t>& bytes, std::size_t length) {
        auto copy = Copy(bytes.data(), length);
        PackedDataDescriptor d = {kPackedMagicNULL, std::uint32_t(length), std::uint32_t(length), copy.get()};
        const std::uint8_t module = ModuleCreate("malformed");
        VertexArrayObject record{};
        const int loaded = ObjectLoadVA(module, &record, &d);
        ModuleDelete(module);
        return loaded;
    };
    EXPECT_EQ(load(data, data.size()), 1);
    for (std::size_t length = 0; length < data.size(); ++length)
        EXPECT_EQ(load(data, length), 0) << "length " << length;

    ObjectBuilder badIndex = good;
    badIndex.colouredTriangles = {{0, 1, 3}};
    EXPECT_EQ(load(badIndex.bytes(), badIndex.bytes().size()), 0);
    badIndex.colouredTriangles = {{0, -1, 2}};
    EXPECT_EQ(load(badIndex.bytes(), badIndex.bytes().size()), 0);
    ObjectBuilder badTextured = good;
    badTextured.texturedTriangles = {{0, 1, 7}};
    EXPECT_EQ(load(badTextured.bytes(), badTextured.bytes().size()), 0);

    std::vector<std::uint8_t> hugeCount = data;
    inkspin::WriteBE16(hugeCount.data(), 40000); // a count above 32,767
    EXPECT_EQ(load(hugeCount, hugeCount.size()), 0);

    std::vector<std::uint8_t> hugeTexture = data;
    const std::size_t textureAt = data.size() - 4 * 3 - 8; // width, height, 12 pixel bytes at the end
    inkspin::WriteBE32(hugeTexture.data() + textureAt, 0x7FFFFFFF);
    inkspin::WriteBE32(hugeTexture.data() + textureAt + 4, 0x7FFFFFFF);
    EXPECT_EQ(load(hugeTexture, hugeTexture.size()), 0);
    inkspin::WriteBE32(hugeTexture.data() + textureAt, 0xFFFFFFFF); // negative width
    EXPECT_EQ(load(hugeTexture, hugeTexture.size()), 0);
    std::vector<std::uint8_t> negativeCount = data;
    inkspin::WriteBE32(negativeCount.data() + textureAt - 4, 0xFFFFFFFF);
    EXPECT_EQ(load(negativeCount, negativeCount.size()), 0);
}

} // namespace
