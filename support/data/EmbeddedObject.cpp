#include "support/data/EmbeddedObject.h"

namespace {

// Generated at build time from resources/lattice.lzo.
constexpr std::uint8_t kBlob[] = {
#include "lattice.lzo.inc"
};

} // namespace

PackedDataDescriptor gEmbeddedObjectDescriptor = {kPackedMagicLZO1, sizeof(kBlob), kEmbeddedObjectUnpackedSize, nullptr};

const std::uint8_t* EmbeddedObjectBlob() { return kBlob; }
std::uint32_t EmbeddedObjectBlobSize() { return sizeof(kBlob); }
