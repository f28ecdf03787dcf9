#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

struct MemoryPoolTest : ::testing::Test {
    void SetUp() override { MemoryFreeAll(); }
    void TearDown() override
    {
        MemorySetFailAfter(-1);
        MemoryFreeAll();
    }
};

TEST_F(MemoryPoolTest, ReleaseInAnyOrderKeepsTheRestAndIgnoresStrangers)
{
    std::array<int, 3> order = {0, 1, 2};
    do {
        std::array<unsigned char*, 3> blocks{};
        for (int i = 0; i < 3; ++i)
            std::memset(blocks[i] = static_cast<unsigned char*>(MemoryAlloc(32)), i + 1, 32);
        int local = 0;
        MemoryFree(&local);
        MemoryFree(nullptr); // null never matches the sentinel
        for (std::size_t released = 0; released < 3; ++released) {
            MemoryFree(blocks[order[released]]);
            MemoryFree(blocks[order[released]]); // twice: the second call does nothing
            EXPECT_EQ(MemoryLiveBlockCount(), 2 - released);
            for (std::size_t later = released + 1; later < 3; ++later)
                EXPECT_EQ(blocks[order[later]][31], order[later] + 1) << "a block still listed must be intact";
        }
        EXPECT_EQ(MemoryNodeCount(), 1u) << "the sentinel stays until MemoryFreeAll";
    } while (std::next_permutation(order.begin(), order.end()));
    MemoryFreeAll();
    EXPECT_EQ(MemoryNodeCount(), 0u);
    EXPECT_NE(MemoryAlloc(8), nullptr) << "the pool works again";
    EXPECT_EQ(MemoryNodeCount(), 2u);
}

} // namespace
