#include "common/utf16_win32.h"

#include <windows.h>

#include <climits>

namespace setrion::win32 {

std::wstring toUtf16(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int length = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, out.data(), n);
    return out;
}

std::string toUtf8(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int length = static_cast<int>(utf16.size());
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring widePath(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    std::string bytes;
    bytes.reserve(native.size());
    bool multiByte = false;
    for (wchar_t c : native) {
        if (c > 0xFF) return native;  // real UTF-16 text
        multiByte = multiByte || c >= 0x80;
        bytes.push_back(static_cast<char>(c));
    }
    if (!multiByte || bytes.size() > INT_MAX) return native;
    const int length = static_cast<int>(bytes.size());
    // Only a valid UTF-8 sequence is taken as one; anything else is Latin-1 text already.
    const int n =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (n <= 0) return native;
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, out.data(), n);
    return out;
}

std::string pathText(const std::filesystem::path& path) {
    return toUtf8(widePath(path));
}

std::string systemErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text = n > 0 && buffer ? toUtf8(std::wstring_view(buffer, n)) : std::string();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace setrion::win32
