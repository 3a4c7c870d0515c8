#pragma once

#include <filesystem>
#include <string>

namespace ornavox {

// Paths are UTF-8 text inside the program. The standard library's narrow
// strings are the system's code page on Windows, so a path goes through
// these, never through a narrow path constructor or string().
inline std::filesystem::path utf8_path(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string utf8_text(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace ornavox
