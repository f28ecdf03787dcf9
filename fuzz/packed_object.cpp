// Fuzzes unpacking and loading a packed object: the input as an LZO1X stream (as the embedded lattice is packed)
// and as stored bytes, then the vertex and normal arrays of whatever loads. Everything must be given back.
#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"
#include "support/memory/MemoryPoolTesting.h"

#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A copy of exactly the input's length, so that any read past it is caught.
    const std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size + 1]);
    std::memcpy(bytes.get(), data, size);
    const std::size_t blocks = MemoryLiveBlockCount();
    for (const std::uint32_t magic : {kPackedMagicLZO1, kPackedMagicNULL}) {
        PackedDataDescriptor descriptor = {magic, static_cast<std::uint32_t>(size),
                                           magic == kPackedMagicLZO1 ? 30690u : static_cast<std::uint32_t>(size),
                                           bytes.get()};
        const std::uint8_t module = ModuleCreate("fuzz");
        VertexArrayObject record{};
        if (ObjectLoadVA(module, &record, &descriptor) == 1) {
            Vector3* vertices = ObjectMakeVertexArray(&record, 0.1f);
            Vector3* normals = ObjectMakeNormalArray(&record, vertices);
            MemoryFree(normals);
            MemoryFree(vertices);
        }
        ModuleDelete(module);
    }
    if (MemoryLiveBlockCount() != blocks)
        std::abort(); // a pool block was not given back
    return 0;
}
