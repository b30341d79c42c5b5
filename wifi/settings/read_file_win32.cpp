// Reading a settings file on Windows: regular files only, UTF-8 names through the wide API.
#include <windows.h>

#include <string>

#include "wifi/settings/profile.h"

namespace setrion::wifi {

std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                                           std::string* error) {
    auto fail = [&](const std::string& why) -> std::optional<std::string> {
        if (error) *error = path.string() + ": " + why;
        return std::nullopt;
    };
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return fail("is a directory, not a file");
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail("cannot read: no such file or no access");
    std::string out;
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        return fail("not a regular file");
    }
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(file, &size) && static_cast<uint64_t>(size.QuadPart) > maxBytes) {
        ::CloseHandle(file);
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    }
    char buf[4096];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(file, buf, sizeof buf, &n, nullptr)) {
            ::CloseHandle(file);
            return fail("cannot read");
        }
        if (n == 0) break;
        out.append(buf, n);
        if (out.size() > maxBytes) {
            ::CloseHandle(file);
            return fail("larger than " + std::to_string(maxBytes) + " bytes");
        }
    }
    ::CloseHandle(file);
    return out;
}

}  // namespace setrion::wifi
