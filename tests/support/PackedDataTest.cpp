// Unpacking and loading the embedded lattice cut short or corrupted anywhere: a clean failure or the right object,
// never a crash or a read out of bounds (this binary also runs under AddressSanitizer), and the pool as it was.
// Hand-made stored objects keep the hostile cases found so far; the fuzz harness (fuzz/packed_object.cpp, make
// fuzz) looks for new ones.
#include "support/data/EmbeddedObject.h"
#include "support/data/ObjectModule.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct PackedDataTest : ::testing::Test {
    const std::size_t blocksBefore = MemoryLiveBlockCount();
    void TearDown() override { EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore) << "the pool as it was"; }

    // Loads `length` bytes as a packed lattice (a heap copy of exactly that size, so that AddressSanitizer sees any
    // read past its end) into a fresh module and deletes it again; 1 when the object loaded.
    static int LoadLattice(const std::uint8_t* bytes, std::size_t length, bool stored = false)
    {
        auto copy = std::make_unique<std::uint8_t[]>(length + 1);
        std::memcpy(copy.get(), bytes, length);
        PackedDataDescriptor descriptor = {stored ? kPackedMagicNULL : kPackedMagicLZO1, std::uint32_t(length),
                                           stored ? std::uint32_t(length) : 30690, copy.get()};
        const std::uint8_t module = ModuleCreate("packed data test");
        VertexArrayObject record{};
        const int loaded = ObjectLoadVA(module, &record, &descriptor);
        ModuleDelete(module);
        return loaded;
    }
};

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

// A stored object of `vertices` vertices (at least 3), a textured and a coloured triangle and one 1x1 texture.
std::vector<std::uint8_t> StoredObject(int vertices)
{
    std::vector<std::uint8_t> object = {std::uint8_t(vertices >> 8), std::uint8_t(vertices), 0, 1, 0, 1, 0, 0,
                                        0, 1, 0, 1, 0, 1}; // the header: no tags, extents of 1
    object.resize(14 + 6 * vertices + 40 + 24);
    object[14 + 7] = 1, object[14 + 16] = 1;                       // vertices 1 and 2 at x = 1 and at z = 1
    const std::size_t textured = 14 + 6 * vertices, coloured = textured + 40;
    object[textured + 3] = 1, object[textured + 5] = 2;            // the textured triangle 0 1 2
    object[coloured + 3] = 2, object[coloured + 5] = 1;            // the coloured one 0 2 1
    object.insert(object.end(), {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9}); // one texture of 1x1 pixel
    return object;
}

// The object above with one 16-bit word changed (big-endian, at a byte offset; the three-vertex object's
// triangles start at 32 and 72, its texture count at 96) or its end cut, and objects too large for the walkers.
TEST_F(PackedDataTest, HostileObjectsAreRefused)
{
    const std::vector<std::uint8_t> object = StoredObject(3);
    ASSERT_EQ(LoadLattice(object.data(), object.size(), true), 1) << "the object as made";
    const std::vector<std::uint8_t> largest = StoredObject(32767), tooLarge = StoredObject(32768);
    EXPECT_EQ(LoadLattice(largest.data(), largest.size(), true), 1);
    EXPECT_EQ(LoadLattice(tooLarge.data(), tooLarge.size(), true), 0) << "more than a signed 16-bit index reaches";
    const struct {
        std::size_t at;
        std::uint16_t word;
        int sizeChange;
    } hostile[] = {
        {36, 3, 0}, {72, 3, 0},         // an index equal to the vertex count, in either kind of triangle
        {76, 0xffff, 0},                // a negative index
        {96, 0xffff, 0},                // a negative texture count
        {100, 0x7fff, 0},               // a texture whose bytes overflow 32 bits (2,147,418,113 x 1 x 3)
        {98, 2, 0}, {0, 3, -1},         // pixels past the end: one texture more, the last byte gone
    };
    for (const auto& h : hostile) {
        std::vector<std::uint8_t> bad(object.begin(), object.end() + h.sizeChange);
        bad[h.at] = std::uint8_t(h.word >> 8), bad[h.at + 1] = std::uint8_t(h.word);
        EXPECT_EQ(LoadLattice(bad.data(), bad.size(), true), 0) << "word " << h.word << " at " << h.at;
    }
}

} // namespace
