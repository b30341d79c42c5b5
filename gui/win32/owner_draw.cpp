#include "gui/win32/owner_draw.h"

#include "common/utf16_win32.h"
#include "gui/control_drawing.h"

namespace setrion::gui {

namespace {

RECT toRect(const drawing::Box& b) {
    return {b.left, b.top, b.right, b.bottom};
}

}  // namespace

void drawIconButton(HDC dc, RECT r, const std::wstring& caption, HICON icon, int iconSize,
                    const IconButtonState& state) {
    drawing::IconButtonState s;
    s.enabled = state.enabled;
    s.focused = state.focused;
    s.isDefault = state.isDefault;
    s.pressed = state.pressed;
    if (icon != nullptr) s.icons[0] = {iconSize, iconSize};
    const drawing::IconButtonLayout l =
        drawing::layoutIconButton({r.left, r.top, r.right, r.bottom}, s);

    if (l.blackFrame) FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    RECT body = toRect(l.body);
    FillRect(dc, &body, GetSysColorBrush(COLOR_BTNFACE));
    if (l.border != drawing::ButtonBorder::None)
        DrawEdge(dc, &body,
                 l.border == drawing::ButtonBorder::Sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_RECT);
    if (l.icon != drawing::ButtonIcon::None)
        DrawIconEx(dc, l.iconBox.left, l.iconBox.top, icon, l.iconBox.width(), l.iconBox.height(),
                   0, nullptr, DI_NORMAL);
    RECT text = toRect(l.caption);
    SetBkMode(dc, TRANSPARENT);
    // The caption wraps at word breaks and is centred in its rectangle as a block.
    const UINT flags = DT_CENTER | DT_WORDBREAK;
    RECT measure = text;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measure, flags | DT_CALCRECT);
    const int lines = measure.bottom - measure.top;
    if (lines < text.bottom - text.top) text.top += (text.bottom - text.top - lines) / 2;
    if (l.captionTwice) {
        RECT light = text;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &light, flags);
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, flags);
    if (l.focusRect) {
        RECT focus = toRect(l.focus);
        DrawFocusRect(dc, &focus);
    }
}

void drawGroupBox(HDC dc, RECT r, HFONT font, const GroupBoxLook& look) {
    // The body is the dialog's face; the controls inside lie above it and are clipped out.
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, font);
    const std::wstring text = win32::toUtf16(drawing::groupCaption(win32::toUtf8(look.caption)));
    SIZE extent{0, 0};
    if (!text.empty())
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const drawing::GroupBoxLayout g = drawing::layoutGroupBox(
        {r.left, r.top, r.right, r.bottom}, {extent.cx, extent.cy},
        static_cast<drawing::CaptionAlign>(look.alignment), drawing::GroupStyle::Frame);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DSHADOW));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, g.frame.left, g.frame.top, g.frame.right, g.frame.bottom,
              drawing::kGroupCornerSize, drawing::kGroupCornerSize);
    if (!g.caption.empty()) {
        RECT caption = toRect(g.caption);
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
