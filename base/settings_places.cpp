#include "base/settings_places.h"

#include "base/utf8_path.h"

#include <system_error>

namespace ornavox {

namespace {

std::string with_slash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// The value of XDG_MUSIC_DIR in user-dirs.dirs: a quoted path, absolute or
// after "$HOME/".
std::optional<std::string> music_entry(const std::string& user_dirs, const std::string& home)
{
    std::optional<std::string> found;
    size_t start = 0;
    while (start < user_dirs.size()) {
        size_t end = user_dirs.find('\n', start);
        if (end == std::string::npos)
            end = user_dirs.size();
        std::string line = user_dirs.substr(start, end - start);
        start = end + 1;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, 14, "XDG_MUSIC_DIR=") != 0)
            continue;
        const size_t open = line.find('"', first);
        const size_t close = line.rfind('"');
        if (open == std::string::npos || close <= open)
            continue;
        std::string path = line.substr(open + 1, close - open - 1);
        if (path.compare(0, 5, "$HOME") == 0)
            path = home + path.substr(5);
        else if (path.empty() || path.front() != '/')
            continue;
        found = path; // the last one counts, as in the shell that the file is written for
    }
    return found;
}

} // namespace

SettingsPlaces settings_places(const std::string& program_dir)
{
    if (is_portable_folder(program_dir))
        return {with_slash(program_dir), with_slash(program_dir)};
    return user_places();
}

bool is_portable_folder(const std::string& program_dir)
{
    std::error_code unknown;
    return !std::filesystem::exists(utf8_path(with_slash(program_dir) + kInstalledMarker), unknown)
        && folder_is_writable(program_dir);
}

std::string xdg_config_home(const Environment& environment)
{
    const std::string config = environment("XDG_CONFIG_HOME").value_or("");
    if (!config.empty() && config.front() == '/')
        return with_slash(config);
    return with_slash(environment("HOME").value_or("/")) + ".config/";
}

SettingsPlaces xdg_places(const Environment& environment, const std::string& user_dirs,
                          const std::function<bool(const std::string&)>& is_folder)
{
    const std::string home = environment("HOME").value_or("/");
    std::string music = music_entry(user_dirs, home).value_or(home);
    if (!is_folder(music))
        music = home;
    return {xdg_config_home(environment) + "ornavox/", with_slash(music)};
}

} // namespace ornavox
