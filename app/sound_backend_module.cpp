#include "app/sound_backend_module.h"

#include <cstdlib>

namespace ornavox {

SoundBackendModule::SoundBackendModule(std::string path, Dispatcher& dispatcher,
                                       std::function<void(const std::string&)> failed)
    : path_(std::move(path)), dispatcher_(dispatcher), failed_(std::move(failed))
{
}

SoundBackendModule::~SoundBackendModule() = default;

std::unique_ptr<SoundBackend> SoundBackendModule::make(std::string& error)
{
    if (!handle_) {
        std::string reason;
        handle_ = open_shared_library(path_, Unload::Never, &reason);
        if (!handle_) {
            error = "Cannot load the sound backend " + path_ + ": " + reason;
            return nullptr;
        }
    }
    const auto create = reinterpret_cast<CreateSoundBackend>(library_symbol(handle_.get(), kCreateSoundBackend));
    if (!create) {
        error = "The sound backend " + path_ + " does not make a backend: " + std::string(kCreateSoundBackend)
            + " is missing.";
        return nullptr;
    }
    return std::unique_ptr<SoundBackend>(create(dispatcher_));
}

SoundBackend& SoundBackendModule::backend()
{
    if (!backend_) {
        std::string error;
        backend_ = make(error);
        if (!backend_) {
            failed_(error);
            std::exit(1);
        }
    }
    return *backend_;
}

} // namespace ornavox
