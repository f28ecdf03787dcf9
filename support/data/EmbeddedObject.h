// The lattice that the saver shows, carried inside the program as an LZO1X stream (resources/lattice.lzo, made by
// tools/lattice-generator). It unpacks to 30,690 bytes of vertex-array object data: 504 vertices, 1,152 coloured
// triangles, nothing else.
#pragma once

#include "support/memory/PackedData.h"

#include <cstdint>

inline constexpr std::uint32_t kEmbeddedObjectUnpackedSize = 30690;

// The program's own descriptor: magic "LZO1", the blob's packed size, unpacked size 30,690. Its data pointer is
// null until the first ObjectLoadEmbedded, which sets it to the blob. Shared by every view in the process.
extern PackedDataDescriptor gEmbeddedObjectDescriptor;

// The packed bytes and their length; static, read only.
const std::uint8_t* EmbeddedObjectBlob();
std::uint32_t EmbeddedObjectBlobSize();
