#pragma once

#include "base/shared_library.h"
#include "platform/sound_backend.h"

#include <functional>
#include <memory>
#include <string>

namespace ornavox {

// The sound backend built as a module. Opening it maps the sound server's
// client libraries, which the first frame does not need: the module is
// opened, and its backend made, when the window first asks for a device,
// once start-up goes on after the first paint. The module stays mapped until
// the process ends: what its libraries leave behind must still be theirs
// when the process exits.
//
// A program without its backend can neither record nor play: when the
// module cannot be opened, `failed` is told why and the process ends.
//
// Thread contract: everything on the GUI thread.
class SoundBackendModule final : public SoundBackend {
public:
    SoundBackendModule(std::string path, Dispatcher& dispatcher, std::function<void(const std::string&)> failed);
    ~SoundBackendModule() override;
    SoundBackendModule(const SoundBackendModule&) = delete;
    SoundBackendModule& operator=(const SoundBackendModule&) = delete;

    CaptureDevice& capture_device() override { return backend().capture_device(); }
    MixerDevice& mixer_device() override { return backend().mixer_device(); }
    MediaPlayer& media_player() override { return backend().media_player(); }

    // Opens the module unless it is open, and makes a backend of it; nullptr
    // with the module's path and the reason in `error` when it cannot.
    std::unique_ptr<SoundBackend> make(std::string& error);

private:
    SoundBackend& backend();

    std::string path_;
    Dispatcher& dispatcher_;
    std::function<void(const std::string&)> failed_;
    SharedLibrary handle_; // declared before the backend, which runs its code
    std::unique_ptr<SoundBackend> backend_;
};

} // namespace ornavox
