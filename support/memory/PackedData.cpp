#include "support/memory/PackedData.h"

#include "support/memory/MemoryPool.h"

#include <lzo/lzo1x.h>

namespace {

bool LzoReady()
{
    // The LZO library asks for one lzo_init() before any other call; it checks the build's type sizes.
    static const bool ready = lzo_init() == LZO_E_OK;
    return ready;
}

} // namespace

std::uint8_t* MemoryUnpack(PackedDataDescriptor* descriptor)
{
    if (descriptor == nullptr)
        return nullptr;
    if (descriptor->magic == kPackedMagicLZO1) {
        if (descriptor->data == nullptr || !LzoReady())
            return nullptr;
        auto* block = static_cast<std::uint8_t*>(MemoryAlloc(descriptor->unpackedSize));
        if (block == nullptr)
            return nullptr;
        // The bounded decompressor treats the block's size as the capacity, so a stream that claims more never
        // writes past it. The produced length goes back into the descriptor only on success: a failed unpack must
        // not shrink the capacity of the next one.
        lzo_uint produced = descriptor->unpackedSize;
        const int result = lzo1x_decompress_safe(descriptor->data, descriptor->packedSize, block, &produced, nullptr);
        if (result != LZO_E_OK) {
            MemoryFree(block);
            return nullptr;
        }
        descriptor->unpackedSize = static_cast<std::uint32_t>(produced);
        return block;
    }
    if (descriptor->magic == kPackedMagicNULL)
        return const_cast<std::uint8_t*>(descriptor->data); // stored data is only ever read through the result
    return nullptr;
}
