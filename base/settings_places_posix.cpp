#include "base/settings_places.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ornavox {

bool folder_is_writable(const std::string& folder)
{
    return access(folder.c_str(), W_OK | X_OK) == 0;
}

SettingsPlaces user_places()
{
    const auto environment = [](const std::string& name) -> std::optional<std::string> {
        const char* value = std::getenv(name.c_str());
        if (value && *value)
            return std::string(value);
        if (name == "HOME")
            if (const passwd* user = getpwuid(getuid()); user && user->pw_dir)
                return std::string(user->pw_dir);
        return std::nullopt;
    };
    std::ostringstream user_dirs;
    if (std::ifstream file(xdg_config_home(environment) + "user-dirs.dirs"); file)
        user_dirs << file.rdbuf();
    return xdg_places(environment, user_dirs.str(), [](const std::string& path) {
        std::error_code unknown;
        return std::filesystem::is_directory(path, unknown);
    });
}

} // namespace ornavox
