// Velmora — libheif opened on first use.
#include "picture/heif_library.h"

#include <dlfcn.h>

namespace velmora {

namespace {

const HeifLibrary *Open()
{
    void *handle = dlopen("libheif.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    static HeifLibrary library;
#define VELMORA_HEIF_FIND(name)                                                   \
    library.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
    if (!library.name)                                                            \
        return nullptr;
    VELMORA_HEIF_FUNCTIONS(VELMORA_HEIF_FIND)
#undef VELMORA_HEIF_FIND
    return &library;
}

} // namespace

const HeifLibrary *Heif()
{
    static const HeifLibrary *const library = Open();
    return library;
}

} // namespace velmora
