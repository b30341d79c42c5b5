#include "gui/control_drawing.h"

namespace setrion::gui::drawing {

namespace {

ButtonIcon chosenIcon(const IconButtonState& s) {
    auto has = [&](ButtonIcon icon) { return !s.icons[static_cast<size_t>(icon) - 1].empty(); };
    ButtonIcon icon = ButtonIcon::Normal;
    if (!s.enabled) {
        if (has(ButtonIcon::Disabled)) icon = ButtonIcon::Disabled;
    } else if (has(ButtonIcon::PointerOut) && !s.pressed && !s.hover) {
        icon = ButtonIcon::PointerOut;
    }
    return has(icon) ? icon : ButtonIcon::None;
}

}  // namespace

IconButtonLayout layoutIconButton(Box bounds, const IconButtonState& s) {
    IconButtonLayout l;
    Box r = bounds;
    // A 3-D button that is the default or has the focus is framed in black.
    if (!s.flat && (s.focused || s.isDefault)) {
        l.blackFrame = true;
        r = r.inset(1);
    }
    l.body = r;
    l.colours = (s.hover || s.pressed) ? ButtonColours::PointerIn
                : s.focused            ? ButtonColours::Focused
                                       : ButtonColours::PointerOut;
    if (!s.flat || s.drawBorder) {
        if (s.pressed)
            l.border = ButtonBorder::Sunken;
        else if (!s.flat || s.hover)
            l.border = ButtonBorder::Raised;
    }
    l.icon = chosenIcon(s);
    // A pressed push button moves its content by a pixel; a checked check box does not.
    const int shift = (s.pressed && !s.checkBox) ? 1 : 0;
    l.caption = r;
    if (l.icon != ButtonIcon::None) {
        const Size is = s.icons[static_cast<size_t>(l.icon) - 1];
        switch (s.align) {
            case IconAlign::Left:
                l.iconBox.left = r.left + kIconGap;
                l.iconBox.top = r.top + (r.height() - is.height) / 2;
                l.caption.left = r.left + is.width + kIconGap;
                break;
            case IconAlign::Top:
                l.iconBox.left = r.left + (r.width() - is.width) / 2;
                l.iconBox.top = r.top + kIconGap;
                l.caption.top = r.top + is.height + kIconGap;
                break;
            case IconAlign::Right:
                l.iconBox.left = r.right - kIconGap - is.width;
                l.iconBox.top = r.top + (r.height() - is.height) / 2;
                l.caption.right = r.right - is.width - kIconGap;
                break;
        }
        l.iconBox.right = l.iconBox.left + is.width;
        l.iconBox.bottom = l.iconBox.top + is.height;
        l.iconBox = l.iconBox.moved(shift, shift);
    }
    l.caption = l.caption.moved(shift, shift);
    l.captionTwice = !s.enabled;
    l.focusRect = s.focused && (!s.flat || s.flatFocus);
    l.focus = l.body.inset(kFocusInset);
    return l;
}

std::string groupCaption(const std::string& text) {
    return text.empty() ? std::string() : " " + text + " ";
}

GroupBoxLayout layoutGroupBox(Box bounds, Size captionSize, CaptionAlign align, GroupStyle style) {
    GroupBoxLayout g;
    const Box a = bounds.inset(1);
    g.area = a;
    const int cx = captionSize.empty() ? 0 : captionSize.width;
    const int cy = captionSize.empty() ? 0 : captionSize.height;
    const int inset = style == GroupStyle::Window ? kGroupWindowInset : kGroupCaptionInset;
    int left = a.left + inset;
    if (align == CaptionAlign::Centre) left = a.left + (a.width() - cx) / 2;
    if (align == CaptionAlign::Right) left = a.right - inset - cx;
    if (style == GroupStyle::Window) {
        // The caption above a filled body.
        g.caption = {left, a.top + kGroupWindowInset, left + cx, a.top + kGroupWindowInset + cy};
        g.frame = {a.left, a.top + cy + 4, a.right, a.bottom};
    } else {
        // The frame's top edge runs through the middle of the caption.
        g.caption = {left, a.top, left + cx, a.top + cy};
        g.frame = {a.left, a.top + cy / 2, a.right, a.bottom};
    }
    return g;
}

}  // namespace setrion::gui::drawing
