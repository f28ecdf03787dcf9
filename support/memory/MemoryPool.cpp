#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <cstdlib>

namespace {

struct MemoryNode {
    void* block;       // the caller's block; null only in the sentinel
    MemoryNode* next;  // null only in the sentinel
};

// Newest first; ends in a sentinel whose block and next are null. Null while the pool is empty.
MemoryNode* gPoolHead = nullptr;

long gFailAfter = -1;

void* SystemAlloc(std::size_t size)
{
    if (gFailAfter == 0)
        return nullptr;
    if (gFailAfter > 0)
        --gFailAfter;
    return std::malloc(size);
}

} // namespace

void* MemoryAlloc(std::uint32_t size)
{
    if (gPoolHead == nullptr) {
        auto* sentinel = static_cast<MemoryNode*>(SystemAlloc(sizeof(MemoryNode)));
        if (sentinel == nullptr)
            return nullptr;
        *sentinel = {nullptr, nullptr};
        gPoolHead = sentinel;
    }
    auto* node = static_cast<MemoryNode*>(SystemAlloc(sizeof(MemoryNode)));
    if (node == nullptr)
        return nullptr;
    void* block = SystemAlloc(size);
    if (block == nullptr) {
        std::free(node);
        return nullptr;
    }
    *node = {block, gPoolHead};
    gPoolHead = node;
    return block;
}

void MemoryFree(void* block)
{
    // Only nodes with a successor are examined, so the sentinel (null block) never matches, not even a null pointer.
    MemoryNode* previous = nullptr;
    for (MemoryNode* node = gPoolHead; node != nullptr && node->next != nullptr; previous = node, node = node->next) {
        if (node->block != block)
            continue;
        if (previous == nullptr)
            gPoolHead = node->next;
        else
            previous->next = node->next;
        std::free(node->block);
        std::free(node);
        return;
    }
}

void MemoryFreeAll()
{
    if (gPoolHead == nullptr)
        return;
    while (gPoolHead->next != nullptr) {
        MemoryNode* node = gPoolHead;
        gPoolHead = node->next;
        std::free(node->block);
        std::free(node);
    }
    std::free(gPoolHead);
    gPoolHead = nullptr;
}

std::size_t MemoryLiveBlockCount()
{
    const std::size_t nodes = MemoryNodeCount();
    return nodes == 0 ? 0 : nodes - 1;
}

std::size_t MemoryNodeCount()
{
    std::size_t count = 0;
    for (MemoryNode* node = gPoolHead; node != nullptr; node = node->next)
        ++count;
    return count;
}

void MemorySetFailAfter(long successes)
{
    gFailAfter = successes < 0 ? -1 : successes;
}
