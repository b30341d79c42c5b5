#include "gui/win32/owner_draw.h"

namespace setrion::gui {

namespace {
constexpr int kIconGap = 3;
constexpr int kCaptionInset = 10;
constexpr int kCornerSize = 10;
}  // namespace

void drawIconButton(HDC dc, RECT r, const std::wstring& caption, HICON icon, int iconSize,
                    const IconButtonState& state) {
    if (state.focused || state.isDefault) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = r;
    DrawEdge(dc, &edge, state.pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    const int shift = state.pressed ? 1 : 0;
    RECT text = r;
    if (icon != nullptr) {
        const int y = r.top + (r.bottom - r.top - iconSize) / 2;
        DrawIconEx(dc, r.left + kIconGap + shift, y + shift, icon, iconSize, iconSize, 0, nullptr,
                   DI_NORMAL);
        text.left = r.left + iconSize + kIconGap;
    }
    OffsetRect(&text, shift, shift);
    SetBkMode(dc, TRANSPARENT);
    // The caption wraps at word breaks and is centred in its rectangle as a block.
    const UINT flags = DT_CENTER | DT_WORDBREAK;
    RECT measure = text;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measure, flags | DT_CALCRECT);
    const int lines = measure.bottom - measure.top;
    if (lines < text.bottom - text.top) text.top += (text.bottom - text.top - lines) / 2;
    if (!state.enabled) {
        RECT light = text;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &light, flags);
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, flags);
    if (state.focused) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

void drawGroupBox(HDC dc, RECT r, HFONT font, const GroupBoxLook& look) {
    // The body is the dialog's face; the controls inside lie above it and are clipped out.
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    InflateRect(&r, -1, -1);
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::wstring text = look.caption.empty() ? std::wstring() : L" " + look.caption + L" ";
    SIZE extent{0, 0};
    if (!text.empty())
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    int left = r.left + kCaptionInset;
    if (look.alignment == 1) left = r.left + (r.right - r.left - extent.cx) / 2;
    if (look.alignment == 2) left = r.right - kCaptionInset - extent.cx;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top + extent.cy / 2, r.right, r.bottom, kCornerSize, kCornerSize);
    if (!text.empty()) {
        RECT caption{left, r.top, left + extent.cx, r.top + extent.cy};
        FillRect(dc, &caption, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, look.colour);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
    DeleteObject(pen);
}

}  // namespace setrion::gui
