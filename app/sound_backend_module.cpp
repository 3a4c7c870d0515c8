#include "app/sound_backend_module.h"

#include <dlfcn.h>

#include <cstdlib>

namespace ornavox {

void SoundBackendModule::Closer::operator()(void* handle) const
{
    dlclose(handle);
}

SoundBackendModule::SoundBackendModule(std::string path, Dispatcher& dispatcher,
                                       std::function<void(const std::string&)> failed)
    : path_(std::move(path)), dispatcher_(dispatcher), failed_(std::move(failed))
{
}

SoundBackendModule::~SoundBackendModule() = default;

std::unique_ptr<SoundBackend> SoundBackendModule::make(std::string& error)
{
    if (!handle_) {
        handle_.reset(dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
        if (!handle_) {
            error = "Cannot load the sound backend " + path_ + ": " + dlerror();
            return nullptr;
        }
    }
    const auto create = reinterpret_cast<CreateSoundBackend>(dlsym(handle_.get(), kCreateSoundBackend));
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
