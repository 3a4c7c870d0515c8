#include "base/settings_places.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavox {
namespace {

struct Case {
    const char* name;
    std::map<std::string, std::string> environment;
    std::string user_dirs;
    std::set<std::string> folders;
    SettingsPlaces expected;
};

// What a user's environment and user-dirs.dirs give, as xdg-user-dir reads
// them.
TEST(XdgPlaces, FollowTheUsersEnvironmentAndUserDirs)
{
    const Case cases[] = {
        {"nothing set", {{"HOME", "/home/ann"}}, "", {}, {"/home/ann/.config/ornavox/", "/home/ann/"}},
        {"own config home",
         {{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/cfg"}},
         "",
         {},
         {"/cfg/ornavox/", "/home/ann/"}},
        {"a relative config home is ignored",
         {{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "cfg"}},
         "",
         {},
         {"/home/ann/.config/ornavox/", "/home/ann/"}},
        {"music under home",
         {{"HOME", "/home/ann"}},
         "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"$HOME/Musik\"\n",
         {"/home/ann/Musik"},
         {"/home/ann/.config/ornavox/", "/home/ann/Musik/"}},
        {"an absolute music folder, the last entry counting",
         {{"HOME", "/home/ann"}},
         "XDG_MUSIC_DIR=\"/old\"\n  XDG_MUSIC_DIR=\"/srv/music/\"\n",
         {"/srv/music/"},
         {"/home/ann/.config/ornavox/", "/srv/music/"}},
        {"a music folder that is not there",
         {{"HOME", "/home/ann"}},
         "XDG_MUSIC_DIR=\"$HOME/Music\"\n",
         {},
         {"/home/ann/.config/ornavox/", "/home/ann/"}},
        {"an entry that is neither absolute nor under home",
         {{"HOME", "/home/ann"}},
         "XDG_MUSIC_DIR=\"Music\"\nXDG_MUSIC_DIRS=\"/x\"\n",
         {"Music", "/x"},
         {"/home/ann/.config/ornavox/", "/home/ann/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto environment = [&](const std::string& name) -> std::optional<std::string> {
            const auto found = c.environment.find(name);
            return found == c.environment.end() ? std::nullopt : std::optional(found->second);
        };
        const SettingsPlaces places =
            xdg_places(environment, c.user_dirs, [&](const std::string& path) { return c.folders.count(path) > 0; });
        EXPECT_EQ(places.settings_dir, c.expected.settings_dir);
        EXPECT_EQ(places.recordings_dir, c.expected.recordings_dir);
    }
}

// A folder of one's own keeps everything beside the program; one an
// installer marked, or one the user cannot write, sends it to the user's
// folders.
TEST(SettingsPlaces, StayInAPortableFolderOnly)
{
    const std::filesystem::path folder = test::make_temporary_folder("ornavox-places-");
    const std::string dir = folder.generic_string() + "/";
    EXPECT_TRUE(is_portable_folder(dir));
    EXPECT_EQ(settings_places(dir).settings_dir, dir);
    EXPECT_EQ(settings_places(dir).recordings_dir, dir);
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the write probe leaves nothing behind";

    std::ofstream(folder / kInstalledMarker) << "installed\n";
    EXPECT_FALSE(is_portable_folder(dir));
    const SettingsPlaces installed = settings_places(dir);
    EXPECT_EQ(installed.settings_dir, user_places().settings_dir);
    EXPECT_NE(installed.settings_dir, dir);
    EXPECT_FALSE(installed.recordings_dir.empty());
    std::filesystem::remove(folder / kInstalledMarker);

#ifndef _WIN32
    if (geteuid() != 0) {
        chmod(folder.c_str(), 0555);
        EXPECT_FALSE(is_portable_folder(dir));
        chmod(folder.c_str(), 0755);
    }
#endif
    EXPECT_FALSE(folder_is_writable(dir + "missing/"));
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace ornavox
