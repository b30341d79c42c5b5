#pragma once
// Paths from and to the program's UTF-8 text. A std::filesystem::path made from a std::string
// reads it in the platform's narrow encoding (on Windows not UTF-8), so a name with "é" or
// "測" would name another file there; these convert through UTF-8 on every platform.
#include <filesystem>
#include <string>
#include <string_view>

namespace setrion {

inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string pathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// The same with '/' between the names, as lists below a folder show them.
inline std::string genericPathToUtf8(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace setrion
