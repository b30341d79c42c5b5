#pragma once
// Text at the edge of the Win32 API: the program's strings are UTF-8, the system's UTF-16.
#include <filesystem>
#include <string>
#include <string_view>

namespace setrion::win32 {

// UTF-8 to UTF-16; an invalid sequence becomes U+FFFD.
std::wstring toUtf16(std::string_view utf8);
// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(std::wstring_view utf16);

// The UTF-16 name of a path. A path made from a narrow string holds that string's bytes one
// per wide character (the C library's conversion), while the program's narrow strings are
// UTF-8: such a path is read back as its UTF-8 bytes. A path made from wide or UTF-8 text
// (u8path, wstring) is used as it is.
std::wstring widePath(const std::filesystem::path& path);
// The same name as UTF-8, for messages.
std::string pathText(const std::filesystem::path& path);

// The system's text for an error code (GetLastError, WSAGetLastError), without the final
// line break; "error N" when the system has none.
std::string systemErrorText(unsigned long code);

}  // namespace setrion::win32
