#include "recording/encoder_plugin.h"

#include "base/shared_library.h"

#include <map>
#include <memory>
#include <mutex>

namespace ornavox {

namespace {

// Plug-ins that loaded completely, by path. They stay loaded for the life of
// the program: entry points handed out are never invalidated.
struct LoadedPlugins {
    std::mutex mutex;
    std::map<std::string, EncoderEntryPoints> by_path;
};

LoadedPlugins& loaded_plugins()
{
    static LoadedPlugins plugins;
    return plugins;
}

template <typename Function>
Function entry_point(void* library, const char* name)
{
    return reinterpret_cast<Function>(library_symbol(library, name));
}

std::string plugin_path(const std::string& program_dir)
{
    // Without a folder the system's library path would be searched instead.
    const std::string dir = program_dir.empty() ? "./" : program_dir;
    return dir + kEncoderPluginFileName;
}

} // namespace

const EncoderEntryPoints* load_encoder_plugin(const std::string& program_dir, MessageSink& messages)
{
    const std::string path = plugin_path(program_dir);
    auto& plugins = loaded_plugins();
    std::lock_guard lock(plugins.mutex);
    if (const auto it = plugins.by_path.find(path); it != plugins.by_path.end())
        return &it->second;

    SharedLibrary library = open_shared_library(path);
    if (!library) {
        messages.show_message(std::string("MP3 Encode plugin is not installed!") + "\n\r" + kEncoderPluginFileName);
        return nullptr;
    }
    const auto version = entry_point<BEVERSION>(library.get(), "beVersion");
    if (!version)
        return nullptr;
    BE_VERSION unused{};
    version(&unused);

    EncoderEntryPoints entries;
    entries.beInitStream = entry_point<BEINITSTREAM>(library.get(), "beInitStream");
    entries.beEncodeChunk = entry_point<BEENCODECHUNK>(library.get(), "beEncodeChunk");
    entries.beDeinitStream = entry_point<BEDEINITSTREAM>(library.get(), "beDeinitStream");
    entries.beCloseStream = entry_point<BECLOSESTREAM>(library.get(), "beCloseStream");
    if (!entries.beInitStream || !entries.beEncodeChunk || !entries.beDeinitStream || !entries.beCloseStream)
        return nullptr;

    static_cast<void>(library.release());
    return &plugins.by_path.emplace(path, entries).first->second;
}

int encodercheck(BE_ERR code, MessageSink& messages)
{
    switch (code) {
    case BE_ERR_SUCCESSFUL:
        return 0;
    case BE_ERR_INVALID_FORMAT:
        messages.show_message("INVALID_FORMAT");
        break;
    case BE_ERR_INVALID_FORMAT_PARAMETERS:
        messages.show_message("INVALID_FORMAT_PARAMETERS");
        break;
    case BE_ERR_NO_MORE_HANDLES:
        messages.show_message("MORE_HANDLES");
        break;
    case BE_ERR_INVALID_HANDLE:
        messages.show_message("INVALID_HANDLE");
        break;
    default:
        messages.show_message("Unkonw error");
        break;
    }
    return -1;
}

} // namespace ornavox
