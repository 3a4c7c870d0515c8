#pragma once

#include "platform/sound_backend.h"

#include <future>
#include <memory>
#include <string>

namespace ornavox {

// A sound backend built as a module. Opening it maps the sound server's
// client libraries, a good part of a start, so it is opened on a thread of
// its own from construction on, beside the application's own set-up. The
// module stays mapped until the process ends: what its libraries leave
// behind must still be theirs when the process exits.
//
// Thread contract: construction and create() on the GUI thread.
class SoundBackendModule {
public:
    explicit SoundBackendModule(std::string path);
    ~SoundBackendModule();
    SoundBackendModule(const SoundBackendModule&) = delete;
    SoundBackendModule& operator=(const SoundBackendModule&) = delete;

    // Waits until the module is open and makes its backend; nullptr with the
    // module's path and the reason in `error` when it cannot.
    std::unique_ptr<SoundBackend> create(Dispatcher& dispatcher, std::string& error);

private:
    struct Opened {
        void* handle = nullptr;
        std::string error;
    };
    struct Closer {
        void operator()(void* handle) const;
    };

    std::string path_;
    std::future<Opened> opening_;
    std::unique_ptr<void, Closer> handle_;
};

} // namespace ornavox
