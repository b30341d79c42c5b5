#include <windows.h>

#include <filesystem>
#include <string>

#include "common/utf16_win32.h"
#include "gui/font_folder.h"

namespace setrion::gui {

std::string firstFontFolder() {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring system =
        std::wstring(windows, length < MAX_PATH ? length : 0) + L"\\Fonts\\";
    std::error_code error;
    if (length > 0 && std::filesystem::is_directory(system, error)) return win32::toUtf8(system);
    // The user's own fonts (installed without administrator rights).
    wchar_t local[32768] = {};
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local, 32768);
    if (n > 0 && n < 32768)
        return win32::toUtf8(std::wstring(local, n) + L"\\Microsoft\\Windows\\Fonts\\");
    return win32::toUtf8(system);
}

}  // namespace setrion::gui
