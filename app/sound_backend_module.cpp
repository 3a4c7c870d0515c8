#include "app/sound_backend_module.h"

#include <dlfcn.h>

namespace ornavox {

void SoundBackendModule::Closer::operator()(void* handle) const
{
    dlclose(handle);
}

SoundBackendModule::SoundBackendModule(std::string path) : path_(std::move(path))
{
    opening_ = std::async(std::launch::async, [path = path_] {
        Opened opened;
        opened.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!opened.handle)
            opened.error = dlerror();
        return opened;
    });
}

SoundBackendModule::~SoundBackendModule() = default;

std::unique_ptr<SoundBackend> SoundBackendModule::create(Dispatcher& dispatcher, std::string& error)
{
    if (opening_.valid()) {
        Opened opened = opening_.get();
        handle_.reset(opened.handle);
        if (!handle_) {
            error = "Cannot load the sound backend " + path_ + ": " + opened.error;
            return nullptr;
        }
    }
    if (!handle_) {
        error = "Cannot load the sound backend " + path_ + ".";
        return nullptr;
    }
    const auto make = reinterpret_cast<CreateSoundBackend>(dlsym(handle_.get(), kCreateSoundBackend));
    if (!make) {
        error = "The sound backend " + path_ + " does not make a backend: " + std::string(kCreateSoundBackend)
            + " is missing.";
        return nullptr;
    }
    return std::unique_ptr<SoundBackend>(make(dispatcher));
}

} // namespace ornavox
