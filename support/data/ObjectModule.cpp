#include "support/data/ObjectModule.h"

#include "support/data/EmbeddedObject.h"
#include "support/memory/MemoryPool.h"

#include <GL/gl.h>

#include <cstring>

namespace {

struct ObjectEntry {
    std::uint32_t displayList;  // OpenGL display list; 0 for a vertex-array object
    VertexArrayObject* record;  // the loaded object's record; null for an entry that holds only a display list
    std::uint8_t textureSet;    // shared texture set; 0 = none (the saver never loads one)
    ObjectEntry* next;
};

struct ObjectModule {
    std::uint8_t id;
    char name[kModuleNameSize];
    ObjectEntry* objects;  // most recent first
    ObjectModule* next;    // ascending id order
};

ObjectModule* gModules = nullptr;

ObjectModule* FindModule(std::uint32_t moduleId, ObjectModule** previous = nullptr)
{
    ObjectModule* before = nullptr;
    for (ObjectModule* module = gModules; module != nullptr; before = module, module = module->next) {
        if (module->id == moduleId) {
            if (previous != nullptr)
                *previous = before;
            return module;
        }
    }
    return nullptr;
}


} // namespace

std::uint8_t ModuleCreate(const char* name)
{
    ObjectModule* last = gModules;
    while (last != nullptr && last->next != nullptr)
        last = last->next;
    if (last != nullptr && last->id == 255)
        return 0;

    auto* module = static_cast<ObjectModule*>(MemoryAlloc(sizeof(ObjectModule)));
    if (module == nullptr)
        return 0;
    module->id = last == nullptr ? 1 : static_cast<std::uint8_t>(last->id + 1);
    // Copy at most 254 characters and always terminate: a longer name is truncated, never written past the field.
    const std::size_t length = name == nullptr ? 0 : strnlen(name, kModuleNameSize - 1);
    if (length > 0)
        std::memcpy(module->name, name, length);
    module->name[length] = '\0';
    module->objects = nullptr;
    module->next = nullptr;
    if (last == nullptr)
        gModules = module;
    else
        last->next = module;
    return module->id;
}

void ModuleDelete(std::uint32_t moduleId)
{
    ObjectModule* previous = nullptr;
    ObjectModule* module = FindModule(moduleId, &previous);
    if (module == nullptr)
        return;
    for (ObjectEntry* entry = module->objects; entry != nullptr;) {
        ObjectEntry* next = entry->next;
        if (entry->record != nullptr)
            MemoryFree(entry->record->Header);
        else
            glDeleteLists(entry->displayList, 1);
        MemoryFree(entry);
        entry = next;
    }
    if (previous == nullptr)
        gModules = module->next;
    else
        previous->next = module->next;
    MemoryFree(module);
}

int ObjectLoadVA(std::uint32_t moduleId, VertexArrayObject* record, PackedDataDescriptor* descriptor)
{
    if (moduleId == 0 || record == nullptr)
        return 0;
    std::uint8_t* data = MemoryUnpack(descriptor);
    if (data == nullptr)
        return 0;
    // A corrupt or hostile object must not send the loader, the normal generation or the renderer outside the
    // block, so the whole layout is checked before the record points into it.
    // The descriptor now holds the length the unpack produced (or, for stored data, its stated size).
    if (!ObjectDataIsValid(data, descriptor->unpackedSize)) {
        MemoryFree(data);
        return 0;
    }

    const auto* header = reinterpret_cast<ObjectHeader*>(data);
    record->Header = reinterpret_cast<ObjectHeader*>(data);
    record->SVertexArray = data + kObjectHeaderSize;
    record->offTxtTrigs = reinterpret_cast<TexturedTriangle*>(record->SVertexArray + kVertexSize * header->nVertices());
    record->offColTrigs = reinterpret_cast<ColouredTriangle*>(record->offTxtTrigs + header->nTxtTrigs());
    record->offColTags = reinterpret_cast<ColourTag*>(record->offColTrigs + header->nColTrigs());
    record->nTextures = reinterpret_cast<std::uint8_t*>(record->offColTags + header->nColTags());
    record->offTxtData = record->nTextures + kTextureCountSize;

    ObjectModule* module = FindModule(moduleId);
    if (module == nullptr) {
        MemoryFree(data);
        return 0;
    }
    auto* entry = static_cast<ObjectEntry*>(MemoryAlloc(sizeof(ObjectEntry)));
    if (entry == nullptr) {
        MemoryFree(data);
        return 0;
    }
    *entry = {0, record, 0, module->objects};
    module->objects = entry;
    return 1;
}

int ObjectLoadEmbedded(std::uint32_t moduleId, VertexArrayObject* record)
{
    gEmbeddedObjectDescriptor.data = EmbeddedObjectBlob();
    return ObjectLoadVA(moduleId, record, &gEmbeddedObjectDescriptor);
}

std::size_t ModuleCount()
{
    std::size_t count = 0;
    for (ObjectModule* module = gModules; module != nullptr; module = module->next)
        ++count;
    return count;
}

const char* ModuleName(std::uint32_t moduleId)
{
    const ObjectModule* module = FindModule(moduleId);
    return module == nullptr ? nullptr : module->name;
}
