#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace ornavox::test {

// A new folder of its own under the system's temporary folder; the caller
// removes it.
inline std::filesystem::path make_temporary_folder(const std::string& prefix)
{
    std::random_device random;
    std::filesystem::path folder;
    do
        folder = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    while (!std::filesystem::create_directory(folder));
    return folder;
}

} // namespace ornavox::test
