// Object modules: named groups of loaded objects with a one-byte id, and the loaders that fill a
// VertexArrayObject record from packed data.
//
// Ids run 1..255 and are unique among live modules; 0 is never an id (it is the failure result). A new id is one
// above the highest live id, so ids freed below it are not reused until every module is gone. Names are copied
// into a 255-byte field: at most 254 characters are kept, a longer name is truncated. Module nodes, object entries
// and unpacked object data are pool blocks; deleting a module releases the data of every object loaded into it
// (but not the float arrays made from them, which their caller owns). Main thread only.
#pragma once

#include "support/data/ObjectFormat.h"
#include "support/memory/PackedData.h"

#include <cstdint>

inline constexpr std::size_t kModuleNameSize = 255;

// The new module's id, or 0 when the pool is exhausted or the highest live id is already 255.
std::uint8_t ModuleCreate(const char* name);

// Releases the module, its entries and the data of every object loaded into it; no effect for an unknown id.
void ModuleDelete(std::uint32_t moduleId);

// Unpacks `descriptor`, checks that the data is a well-formed object (ObjectDataIsValid), points `record` into it
// and files it under the module. Returns 1 on success. Returns 0 for id 0, an unpack failure, malformed data, an
// unknown id or an exhausted pool, with any unpacked data released again and the record's pointers not valid.
int ObjectLoadVA(std::uint32_t moduleId, VertexArrayObject* record, PackedDataDescriptor* descriptor);

// ObjectLoadVA with the lattice embedded in the program.
int ObjectLoadEmbedded(std::uint32_t moduleId, VertexArrayObject* record);

// The number of live modules (for tests and diagnostics).
std::size_t ModuleCount();

// The name a live module was created with, or null for an unknown id (for tests and diagnostics).
const char* ModuleName(std::uint32_t moduleId);
