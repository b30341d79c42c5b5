#include "gui/win32/control_layout.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "common/utf16_win32.h"
#include "gui/win32/dialog_window.h"

namespace setrion::gui {
namespace {

std::string jsonString(const std::wstring& text) {
    std::string out = "\"";
    for (char ch : win32::toUtf8(text)) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string rectJson(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return "[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + "]";
}

// The items of a list box or a drop list, as the control holds them.
std::string itemsJson(HWND hwnd, bool combo) {
    const auto count =
        static_cast<int>(SendMessageW(hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
    std::string out = "[";
    for (int i = 0; i < count; ++i) {
        const auto length = static_cast<int>(
            SendMessageW(hwnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
        std::wstring item(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
        SendMessageW(hwnd, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(item.data()));
        item.resize(wcslen(item.c_str()));
        out += (i > 0 ? "," : "") + jsonString(item);
    }
    return out + "]";
}

std::string controlJson(const ui::Control& c, HWND hwnd) {
    std::string out = "{\"id\":" + std::to_string(c.id) + ",\"kind\":\"" +
                      ui::controlKindName(c.kind) + "\",\"rect\":" + rectJson(hwnd) +
                      ",\"text\":" + jsonString(windowText(hwnd)) +
                      ",\"enabled\":" + (IsWindowEnabled(hwnd) ? "true" : "false") +
                      ",\"visible\":" + (IsWindowVisible(hwnd) ? "true" : "false");
    if (c.kind == ui::ControlKind::DropList || c.kind == ui::ControlKind::ListBox) {
        const bool combo = c.kind == ui::ControlKind::DropList;
        out += ",\"items\":" + itemsJson(hwnd, combo) + ",\"selection\":" +
               std::to_string(SendMessageW(hwnd, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
    }
    if (c.kind == ui::ControlKind::CheckBox || c.kind == ui::ControlKind::Radio)
        out += std::string(",\"checked\":") +
               (SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? "true" : "false");
    return out + "}";
}

}  // namespace

std::string controlLayoutJson(const std::vector<DialogWindow*>& windows,
                              const std::wstring& messageCaption, const std::wstring& messageText) {
    std::string out = "{\"windows\":[";
    bool firstWindow = true;
    for (DialogWindow* w : windows) {
        if (w->hwnd() == nullptr) continue;
        out +=
            std::string(firstWindow ? "" : ",") +
            "{\"title\":" + jsonString(windowText(w->hwnd())) + ",\"rect\":" + rectJson(w->hwnd()) +
            ",\"visible\":" + (IsWindowVisible(w->hwnd()) ? "true" : "false") + ",\"controls\":[";
        firstWindow = false;
        bool firstControl = true;
        for (const ui::Control* c : w->model().controls()) {
            HWND hwnd = w->control(c->id);
            if (hwnd == nullptr) continue;
            out += (firstControl ? "" : ",") + controlJson(*c, hwnd);
            firstControl = false;
        }
        out += "]}";
    }
    out += "]";
    if (!messageText.empty())
        out += ",\"message\":{\"caption\":" + jsonString(messageCaption) +
               ",\"text\":" + jsonString(messageText) + "}";
    return out + "}\n";
}

ControlLayoutFile::ControlLayoutFile() {
    wchar_t path[32768] = {};
    const DWORD n = GetEnvironmentVariableW(L"SETRION_LAYOUT_FILE", path, 32768);
    if (n > 0 && n < 32768) m_path.assign(path, n);
}

void ControlLayoutFile::write(const std::string& json) {
    if (m_path.empty() || json == m_written) return;
    const std::wstring partial = m_path + L".part";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
    CloseHandle(file);
    if (ok && written == json.size() &&
        MoveFileExW(partial.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
        m_written = json;
}

}  // namespace setrion::gui
