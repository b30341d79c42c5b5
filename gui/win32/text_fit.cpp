#include "gui/win32/text_fit.h"

#include <algorithm>

#include "common/utf16_win32.h"
#include "gui/control_drawing.h"
#include "gui/win32/dialog_window.h"
#include "ui/kit/text_fit.h"

namespace setrion::gui {
namespace {

using ui::ControlKind;

// The text as drawn: '&' marks a mnemonic and is not shown, "&&" shows one.
std::wstring shown(const std::string& s, bool mnemonics) {
    const std::wstring in = win32::toUtf16(s);
    if (!mnemonics) return in;
    std::wstring out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == L'&' && i + 1 < in.size()) ++i;
        out += in[i];
    }
    return out;
}

// The extent of `text` drawn with DrawText's `flags` within `width` pixels.
SIZE extent(HDC dc, const std::wstring& text, int width, UINT flags) {
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags | DT_CALCRECT);
    return {r.right - r.left, r.bottom - r.top};
}

SIZE sizeOf(const RECT& r) {
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

std::vector<Win32CutText> cutTexts(DialogWindow& window) {
    std::vector<Win32CutText> cuts;
    HWND dialog = window.hwnd();
    HDC dc = GetDC(dialog);
    const HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    LOGFONTW bold{};
    GetObjectW(dialogFont, sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    const HFONT boldFont = CreateFontIndirectW(&bold);
    const HGDIOBJ oldFont = SelectObject(dc, dialogFont);
    for (const ui::ShownText& t : ui::textsToFit(window.model())) {
        HWND w = window.control(t.controlId);
        if (w == nullptr) continue;
        const ui::Control& c = window.model().control(t.controlId);
        RECT client;
        GetClientRect(w, &client);
        SelectObject(dc, c.kind == ControlKind::GroupBox && c.bold ? boldFont : dialogFont);
        const bool prefixed = c.kind != ControlKind::DropList && c.kind != ControlKind::ListBox;
        std::wstring text = shown(t.text, prefixed);
        SIZE room = sizeOf(client);
        SIZE needed{};
        switch (c.kind) {
            case ControlKind::DropList: {
                // The closed list draws its item in the field left of the arrow, inset by 2.
                COMBOBOXINFO info{};
                info.cbSize = sizeof info;
                GetComboBoxInfo(w, &info);
                room = sizeOf(info.rcItem);
                room.cx -= 4;
                needed = extent(dc, text, room.cx, DT_SINGLELINE | DT_NOPREFIX);
                room.cy = std::max(room.cy, needed.cy);  // one line always fits its height
                break;
            }
            case ControlKind::ListBox:
                room.cx -= 4;
                needed = extent(dc, text, room.cx, DT_SINGLELINE | DT_NOPREFIX);
                room.cy = std::max(room.cy, needed.cy);
                break;
            case ControlKind::IconButton: {
                drawing::IconButtonState s;
                const int iconSize =
                    std::min<int>(MulDiv(32, GetDeviceCaps(dc, LOGPIXELSY), 96), client.bottom - 6);
                if (c.iconNumber != 0) s.icons[0] = {iconSize, iconSize};
                const drawing::Box caption =
                    drawing::layoutIconButton({0, 0, client.right, client.bottom}, s).caption;
                room = {caption.width(), caption.height()};
                needed = extent(dc, text, room.cx, DT_CENTER | DT_WORDBREAK);
                break;
            }
            case ControlKind::Button:
                room.cx -= 2 * GetSystemMetrics(SM_CXEDGE) + 4;  // the edges and focus margin
                needed = extent(dc, text, room.cx, DT_CENTER | DT_WORDBREAK);
                break;
            case ControlKind::CheckBox:
            case ControlKind::Radio:
                // The box, a gap of about a character's width, the text on one line.
                room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
                needed = extent(dc, text, room.cx, DT_SINGLELINE);
                break;
            case ControlKind::GroupBox: {
                text = win32::toUtf16(drawing::groupCaption(win32::toUtf8(text)));
                room.cx -=
                    2 * drawing::kGroupCaptionInset + 2;  // the caption's inset from each side
                needed = extent(dc, text, room.cx, DT_SINGLELINE | DT_NOPREFIX);
                room.cy = needed.cy;
                break;
            }
            default:  // a static: wrapped at blanks to its rectangle
                needed = extent(dc, text, room.cx, DT_WORDBREAK);
                break;
        }
        if (needed.cx > room.cx || needed.cy > room.cy)
            cuts.push_back({t.controlId, win32::toUtf8(text), needed, room});
    }
    SelectObject(dc, oldFont);
    DeleteObject(boldFont);
    ReleaseDC(dialog, dc);
    return cuts;
}

}  // namespace setrion::gui
