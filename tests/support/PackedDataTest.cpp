// Unpacking and loading the embedded lattice cut short or corrupted anywhere: a clean failure or the right object,
// never a crash or a read out of bounds (this binary also runs under AddressSanitizer), and the pool as it was.
// The saver loads nothing else; loads of arbitrary bytes (either kind of data) are the fuzz harness's
// (fuzz/packed_object.cpp, make fuzz).
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
    static int LoadLattice(const std::uint8_t* bytes, std::size_t length)
    {
        auto copy = std::make_unique<std::uint8_t[]>(length + 1);
        std::memcpy(copy.get(), bytes, length);
        PackedDataDescriptor descriptor = {kPackedMagicLZO1, std::uint32_t(length), 30690, copy.get()};
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

} // namespace
