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
    const std::size_t blocksBefore = MemoryLiveBlockCount();
    void TearDown() override { EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore) << "the pool as it was"; }

    // Loads `length` bytes (a heap copy of exactly that size, so that AddressSanitizer sees any read past its end)
    // into a fresh module and deletes it again; 1 when the object loaded.
    static int Load(std::uint32_t magic, const std::uint8_t* bytes, std::size_t length, std::uint32_t unpacked)
    {
        auto copy = std::make_unique<std::uint8_t[]>(length + 1);
        std::memcpy(copy.get(), bytes, length);
        PackedDataDescriptor descriptor = {magic, std::uint32_t(length), unpacked, copy.get()};
        const std::uint8_t module = ModuleCreate("packed data test");
        VertexArrayObject record{};
        const int loaded = ObjectLoadVA(module, &record, &descriptor);
        ModuleDelete(module);
        return loaded;
    }
    static int LoadLattice(const std::uint8_t* bytes, std::size_t length)
    {
        return Load(kPackedMagicLZO1, bytes, length, 30690);
    }
    static int LoadStored(const std::vector<std::uint8_t>& bytes, std::size_t length)
    {
        return Load(kPackedMagicNULL, bytes.data(), length, std::uint32_t(length));
    }
};

TEST_F(PackedDataTest, EmbeddedDescriptorUnpacksToTheLatticeEachTimeAnew)
{
    gEmbeddedObjectDescriptor.data = EmbeddedObjectBlob();
    std::uint8_t* first = MemoryUnpack(&gEmbeddedObjectDescriptor);
    std::uint8_t* second = MemoryUnpack(&gEmbeddedObjectDescriptor);
    ASSERT_TRUE(first != nullptr && second != nullptr && first != second);
    EXPECT_EQ(gEmbeddedObjectDescriptor.unpackedSize, 30690u);
    EXPECT_EQ(std::memcmp(first, second, 30690), 0);
    EXPECT_EQ(inkspin::ReadBE16(first) + inkspin::ReadBE16(first + 4), 504 + 1152) << "vertices and triangles";
    MemoryFree(first);
    MemoryFree(second);
}

TEST_F(PackedDataTest, MagicAndSizesDecideAndFailuresChangeNothing)
{
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    PackedDataDescriptor stored = {kPackedMagicNULL, 0, 0, bytes};
    EXPECT_EQ(MemoryUnpack(&stored), bytes);
    PackedDataDescriptor unknown = {0, 4, 4, bytes};
    EXPECT_EQ(MemoryUnpack(&unknown), nullptr);
    PackedDataDescriptor byteString = {0, 0, 0, bytes};
    std::memcpy(&byteString.magic, "LZO1", 4); // the magic is a number, not bytes in memory
    EXPECT_EQ(MemoryUnpack(&byteString), nullptr);
    EXPECT_EQ(MemoryUnpack(nullptr), nullptr);
    PackedDataDescriptor tooShort = {kPackedMagicLZO1, EmbeddedObjectBlobSize(), 30000, EmbeddedObjectBlob()};
    EXPECT_EQ(MemoryUnpack(&tooShort), nullptr) << "a stream longer than declared is an overrun";
    EXPECT_EQ(tooShort.unpackedSize, 30000u) << "a failed unpack leaves the descriptor as it was";
}

TEST_F(PackedDataTest, EveryTruncationAndCorruptionFailsCleanly)
{
    const std::uint32_t size = EmbeddedObjectBlobSize();
    for (std::uint32_t length = 0; length < size; ++length)
        EXPECT_EQ(LoadLattice(EmbeddedObjectBlob(), length), 0) << "length " << length;
    EXPECT_EQ(LoadLattice(EmbeddedObjectBlob(), size), 1);
    std::vector<std::uint8_t> copy(EmbeddedObjectBlob(), EmbeddedObjectBlob() + size);
    for (std::uint32_t at = 0; at < size; at += 7) {
        copy[at] ^= 0x5A;
        LoadLattice(copy.data(), size); // either outcome, but clean
        copy[at] ^= 0x5A;
    }
}

// Hand-made objects: a good one loads with every region in place; those that lie about their layout are refused
// before anything reads through them.
TEST_F(PackedDataTest, HandMadeObjectsLoadInPlaceAndLiesAreRefused)
{
    ObjectBuilder good;
    good.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    good.colouredTriangles = {{0, 1, 2}};
    good.texturedTriangles = {{2, 1, 0}};
    good.colourTags = 1;
    good.textures = {{2, 2}};
    const std::vector<std::uint8_t> data = good.bytes();
    // Stored data is used in place: the record points into `data`, each region where the layout puts it.
    PackedDataDescriptor stored = StoredDescriptor(data);
    const std::uint8_t module = ModuleCreate("layout");
    VertexArrayObject record{};
    ASSERT_EQ(ObjectLoadVA(module, &record, &stored), 1);
    auto at = [&data](const void* p) { return static_cast<const std::uint8_t*>(p) - data.data(); };
    EXPECT_EQ(at(record.offColTags), 14 + 3 * 6 + 40 + 24);
    EXPECT_EQ(at(record.nTextures), 14 + 3 * 6 + 40 + 24 + 8);
    EXPECT_EQ(at(record.offTxtData), 14 + 3 * 6 + 40 + 24 + 8 + 4);
    ModuleDelete(module);
    for (std::size_t length = 0; length < data.size(); ++length)
        EXPECT_EQ(LoadStored(data, length), 0) << "length " << length;

    // Each returns the good object's bytes with one lie in them.
    const std::size_t textureAt = data.size() - 4 * 3 - 8; // width, height, then 12 pixel bytes at the end
    using Bytes = std::vector<std::uint8_t>;
    auto patched = [&](std::size_t at, std::uint32_t value, std::size_t at2 = 0) {
        Bytes d = data;
        inkspin::WriteBE32(d.data() + at, value);
        if (at2 != 0)
            inkspin::WriteBE32(d.data() + at2, value);
        return d;
    };
    auto triangles = [&](std::array<int, 3> coloured, std::array<int, 3> textured) {
        ObjectBuilder b = good;
        b.colouredTriangles = {coloured};
        b.texturedTriangles = {textured};
        return b.bytes();
    };
    Bytes countAbove32767 = data;
    inkspin::WriteBE16(countAbove32767.data(), 40000);
    const Bytes lies[] = {
        triangles({0, 1, 3}, {2, 1, 0}), // an index past the last vertex
        triangles({0, -1, 2}, {2, 1, 0}),
        triangles({0, 1, 2}, {0, 1, 7}),
        countAbove32767,
        patched(textureAt, 0x7FFFFFFF, textureAt + 4), // a texture larger than the data
        patched(textureAt, 0xFFFFFFFF),                // a negative width
        patched(textureAt - 4, 0xFFFFFFFF),            // a negative number of textures
    };
    for (const Bytes& lie : lies)
        EXPECT_EQ(LoadStored(lie, lie.size()), 0) << "lie " << &lie - lies;
}

} // namespace
