#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ornavox {

// Where Config.ini and the default recording live. A portable program folder
// (one the user may write, that no installer put there) keeps both beside the
// program; an installed one keeps them in the user's own folders. Each folder
// ends in '/'.
struct SettingsPlaces {
    std::string settings_dir;   // holds Config.ini
    std::string recordings_dir; // holds save.mp3; the save dialog opens here first
};

// The file that the Debian package, `cmake --install` and the Windows
// installer put into the program folder they install.
inline constexpr const char* kInstalledMarker = "installed.txt";

SettingsPlaces settings_places(const std::string& program_dir);

// The pieces of it, apart for the tests.
bool is_portable_folder(const std::string& program_dir);
bool folder_is_writable(const std::string& folder);
SettingsPlaces user_places();

// The XDG folders of a user, from the environment's values and the user's
// user-dirs.dirs text (empty when there is none); a music folder that is not
// set, or not a folder, is the home folder, as xdg-user-dir answers.
using Environment = std::function<std::optional<std::string>(const std::string& name)>;
std::string xdg_config_home(const Environment& environment); // ends in '/'
SettingsPlaces xdg_places(const Environment& environment, const std::string& user_dirs,
                          const std::function<bool(const std::string&)>& is_folder);

} // namespace ornavox
