#include "recording/shared_library.h"

#include "platform/win32/utf16.h"

namespace ornavox {

void SharedLibraryCloser::operator()(void* library) const
{
    FreeLibrary(static_cast<HMODULE>(library));
}

// The library's own folder is searched for what it needs, never the current
// folder.
SharedLibrary open_shared_library(const std::string& path)
{
    return SharedLibrary(LoadLibraryExW(win32::utf16(path).c_str(), nullptr,
                                        LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS));
}

void* library_symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace ornavox
