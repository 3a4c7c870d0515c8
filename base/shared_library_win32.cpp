#include "base/shared_library.h"

#include "base/utf16.h"

namespace ornavox {

void SharedLibraryCloser::operator()(void* library) const
{
    FreeLibrary(static_cast<HMODULE>(library));
}

// The library's own folder is searched for what it needs, never the current
// folder.
SharedLibrary open_shared_library(const std::string& path, Unload unload, std::string* error)
{
    const std::wstring wide = win32::utf16(path);
    SharedLibrary library(
        LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS));
    if (!library) {
        if (error)
            *error = win32::error_text(GetLastError());
        return library;
    }
    HMODULE pinned = nullptr;
    if (unload == Unload::Never)
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, wide.c_str(), &pinned);
    return library;
}

void* library_symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

} // namespace ornavox
