#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct MemoryPoolTest : ::testing::Test {
    void SetUp() override { MemoryFreeAll(); }
    void TearDown() override
    {
        MemorySetFailAfter(-1);
        MemoryFreeAll();
    }
};

TEST_F(MemoryPoolTest, ReleaseInAnyOrderKeepsTheRest)
{
    for (int order = 0; order < 6; ++order) {
        std::vector<unsigned char*> blocks;
        for (int i = 0; i < 3; ++i) {
            blocks.push_back(static_cast<unsigned char*>(MemoryAlloc(32)));
            std::memset(blocks.back(), i + 1, 32);
        }
        std::vector<int> sequence = {0, 1, 2};
        for (int k = 0; k < order; ++k)
            std::next_permutation(sequence.begin(), sequence.end());
        for (std::size_t released = 0; released < sequence.size(); ++released) {
            MemoryFree(blocks[sequence[released]]);
            EXPECT_EQ(MemoryLiveBlockCount(), 2 - released);
            for (std::size_t later = released + 1; later < sequence.size(); ++later) {
                const int index = sequence[later];
                EXPECT_EQ(blocks[index][31], index + 1) << "a block still listed must be intact";
            }
        }
    }
}

TEST_F(MemoryPoolTest, UnknownPointersAreIgnored)
{
    MemoryFree(nullptr); // empty pool
    int local = 0;
    MemoryFree(&local);
    void* a = MemoryAlloc(8);
    MemoryFree(nullptr); // null never matches the sentinel
    MemoryFree(&local);
    EXPECT_EQ(MemoryLiveBlockCount(), 1u);
    MemoryFree(a);
    MemoryFree(a); // double free: the second call does nothing
    EXPECT_EQ(MemoryLiveBlockCount(), 0u);
    EXPECT_EQ(MemoryNodeCount(), 1u) << "the sentinel stays until MemoryFreeAll";
}

TEST_F(MemoryPoolTest, SentinelFirstThenANodePerBlockUntilFreeAll)
{
    void* a = MemoryAlloc(8);
    EXPECT_EQ(MemoryNodeCount(), 2u);
    MemoryAlloc(8);
    EXPECT_EQ(MemoryNodeCount(), 3u);
    MemoryFreeAll();
    EXPECT_EQ(MemoryNodeCount(), 0u);
    MemoryFree(a); // an old pointer: no effect
    void* c = MemoryAlloc(8);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(MemoryNodeCount(), 2u);
}

TEST_F(MemoryPoolTest, ExhaustionLeavesNothingHalfMade)
{
    // Sentinel creation fails: the pool stays empty.
    MemorySetFailAfter(0);
    EXPECT_EQ(MemoryAlloc(8), nullptr);
    EXPECT_EQ(MemoryNodeCount(), 0u);
    // Node allocation fails after the sentinel was made: the sentinel stays, nothing else.
    MemorySetFailAfter(1);
    EXPECT_EQ(MemoryAlloc(8), nullptr);
    EXPECT_EQ(MemoryNodeCount(), 1u);
    // Block allocation fails: the node is given back.
    MemorySetFailAfter(-1);
    void* kept = MemoryAlloc(8);
    MemorySetFailAfter(1);
    EXPECT_EQ(MemoryAlloc(8), nullptr);
    EXPECT_EQ(MemoryLiveBlockCount(), 1u);
    MemorySetFailAfter(-1);
    MemoryFree(kept);
    EXPECT_EQ(MemoryLiveBlockCount(), 0u);
}

} // namespace
