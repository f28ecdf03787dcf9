#include "platform/InterfaceLoader.h"

namespace {

InterfaceLoaderFunction& Loader()
{
    static InterfaceLoaderFunction loader;
    return loader;
}

} // namespace

void InterfaceSetLoader(InterfaceLoaderFunction loader) { Loader() = std::move(loader); }

bool InterfaceLoadNamed(const char* name, InterfaceOwner& owner) { return Loader() && Loader()(name, owner); }
