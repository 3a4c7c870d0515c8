#include "recording/shared_library.h"

#include <dlfcn.h>

namespace ornavox {

void SharedLibraryCloser::operator()(void* library) const
{
    dlclose(library);
}

SharedLibrary open_shared_library(const std::string& path)
{
    return SharedLibrary(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* library_symbol(void* library, const char* name)
{
    return dlsym(library, name);
}

} // namespace ornavox
