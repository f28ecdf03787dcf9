// What tests need to see and steer of the memory pool: how many blocks are live, and a heap that runs out.
// Not for production code.
#pragma once

#include <cstddef>

// Number of blocks the pool holds (the list sentinel is not a block).
std::size_t MemoryLiveBlockCount();

// Number of list nodes, the sentinel included (0 while the pool is empty).
std::size_t MemoryNodeCount();

// After `successes` more successful system allocations, every further one fails until this is called again with a
// negative count (the default: never fail). Counts every malloc the pool makes: sentinel, node and block.
void MemorySetFailAfter(long successes);
