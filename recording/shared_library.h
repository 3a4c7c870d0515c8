#pragma once

#include <memory>
#include <string>

namespace ornavox {

// A shared library opened by its full path (UTF-8), and closed with its
// handle. Per platform: dlopen, or LoadLibraryW.
struct SharedLibraryCloser {
    void operator()(void* library) const;
};
using SharedLibrary = std::unique_ptr<void, SharedLibraryCloser>;

// Empty when the library cannot be loaded.
SharedLibrary open_shared_library(const std::string& path);
void* library_symbol(void* library, const char* name);

} // namespace ornavox
