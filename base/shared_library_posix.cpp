#include "base/shared_library.h"

#include <dlfcn.h>

namespace ornavox {

void SharedLibraryCloser::operator()(void* library) const
{
    dlclose(library);
}

SharedLibrary open_shared_library(const std::string& path, Unload unload, std::string* error)
{
    SharedLibrary library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | (unload == Unload::Never ? RTLD_NODELETE : 0)));
    if (!library && error)
        *error = dlerror();
    return library;
}

void* library_symbol(void* library, const char* name)
{
    return dlsym(library, name);
}

} // namespace ornavox
