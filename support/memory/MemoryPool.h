// The process-wide tracked memory pool.
//
// Every heap block that the support library hands out, and the saver's zoom capture buffer, comes from here. The
// pool lists each block so that it can be released by its address alone, whoever allocated it, and so that
// everything can be released in one call. Blocks are plain malloc results: not zeroed, aligned as malloc aligns.
//
// Ownership: a block belongs to whoever holds its pointer; release it with MemoryFree, never with free().
// MemoryFree of a pointer the pool does not hold (null, already released, never tracked) does nothing.
// Threading: none; like the rest of the saver, the pool is used only on the host's main thread.
#pragma once

#include <cstdint>

// Returns a new tracked block of `size` bytes, or null when the heap is exhausted (nothing half-made stays
// behind, except the empty list sentinel made by the very first call). A size of 0 behaves as malloc(0) does
// here; a null result from it counts as failure.
void* MemoryAlloc(std::uint32_t size);

// Releases a tracked block; no effect for any pointer the pool does not hold.
void MemoryFree(void* block);

// Releases every tracked block at once. Earlier pointers become invalid; the pool works again afterwards.
void MemoryFreeAll();
