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

// How long the code of a library stays mapped: until its handle closes, or
// until the process ends, for a library whose code leaves behind what must
// still be there at exit (threads, handlers of its own client libraries).
enum class Unload { AtClose, Never };

// Empty when the library cannot be loaded; then `error`, when given, says
// why.
SharedLibrary open_shared_library(const std::string& path, Unload unload = Unload::AtClose,
                                  std::string* error = nullptr);
void* library_symbol(void* library, const char* name);

} // namespace ornavox
