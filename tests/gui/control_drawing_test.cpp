// The drawing rules both desktop hosts paint by: icon button parts by state and icon
// alignment, group box caption and frame by alignment and style.
#include "gui/control_drawing.h"

#include <gtest/gtest.h>

namespace setrion::gui::drawing {
namespace {

constexpr Box kButton{0, 0, 100, 40};
constexpr Size kIcon{32, 32};

struct StateCase {
    const char* name;
    IconButtonState state;
    bool blackFrame;
    ButtonBorder border;
    ButtonColours colours;
    bool focusRect;
    int shift;  // content moved down-right when pressed
};

IconButtonState with(void (*set)(IconButtonState&)) {
    IconButtonState s;
    s.icons[0] = kIcon;
    set(s);
    return s;
}

TEST(IconButtonLayout, FrameBorderColoursAndFocusFollowTheState) {
    const StateCase cases[] = {
        {"plain", with([](IconButtonState&) {}), false, ButtonBorder::Raised,
         ButtonColours::PointerOut, false, 0},
        {"default", with([](IconButtonState& s) { s.isDefault = true; }), true,
         ButtonBorder::Raised, ButtonColours::PointerOut, false, 0},
        {"focused", with([](IconButtonState& s) { s.focused = true; }), true, ButtonBorder::Raised,
         ButtonColours::Focused, true, 0},
        {"pressed", with([](IconButtonState& s) { s.pressed = true; }), false, ButtonBorder::Sunken,
         ButtonColours::PointerIn, false, 1},
        {"checked check box", with([](IconButtonState& s) { s.pressed = s.checkBox = true; }),
         false, ButtonBorder::Sunken, ButtonColours::PointerIn, false, 0},
        {"flat", with([](IconButtonState& s) { s.flat = s.focused = s.isDefault = true; }), false,
         ButtonBorder::None, ButtonColours::Focused, false, 0},
        {"flat hovered, border drawn",
         with([](IconButtonState& s) { s.flat = s.hover = s.drawBorder = true; }), false,
         ButtonBorder::Raised, ButtonColours::PointerIn, false, 0},
        {"flat focused with flat focus",
         with([](IconButtonState& s) { s.flat = s.focused = s.flatFocus = true; }), false,
         ButtonBorder::None, ButtonColours::Focused, true, 0},
    };
    for (const StateCase& c : cases) {
        SCOPED_TRACE(c.name);
        const IconButtonLayout l = layoutIconButton(kButton, c.state);
        EXPECT_EQ(l.blackFrame, c.blackFrame);
        EXPECT_EQ(l.body, c.blackFrame ? kButton.inset(1) : kButton);
        EXPECT_EQ(l.border, c.border);
        EXPECT_EQ(l.colours, c.colours);
        EXPECT_EQ(l.focusRect, c.focusRect);
        EXPECT_EQ(l.focus, l.body.inset(3));
        const Box body = l.body;
        EXPECT_EQ(l.iconBox, (Box{body.left + 3, body.top + (body.height() - 32) / 2,
                                  body.left + 35, body.top + (body.height() - 32) / 2 + 32})
                                 .moved(c.shift, c.shift));
        EXPECT_EQ(l.caption,
                  (Box{body.left + 35, body.top, body.right, body.bottom}).moved(c.shift, c.shift));
    }
}

TEST(IconButtonLayout, IconAndCaptionShareTheButtonByAlignment) {
    struct Case {
        IconAlign align;
        Box icon;
        Box caption;
    } cases[] = {
        {IconAlign::Left, {3, 4, 35, 36}, {35, 0, 100, 40}},
        {IconAlign::Top, {34, 3, 66, 35}, {0, 35, 100, 40}},
        {IconAlign::Right, {65, 4, 97, 36}, {0, 0, 65, 40}},
    };
    for (const Case& c : cases) {
        IconButtonState s;
        s.icons[0] = kIcon;
        s.align = c.align;
        const IconButtonLayout l = layoutIconButton(kButton, s);
        SCOPED_TRACE(static_cast<int>(c.align));
        EXPECT_EQ(l.icon, ButtonIcon::Normal);
        EXPECT_EQ(l.iconBox, c.icon);
        EXPECT_EQ(l.caption, c.caption);
    }
}

TEST(IconButtonLayout, IconChosenByStateAmongThoseTheButtonHas) {
    const Size none{};
    struct Case {
        const char* name;
        bool enabled;
        bool hover;
        std::array<Size, 3> icons;
        ButtonIcon icon;
        bool captionTwice;
    } cases[] = {
        {"no icon: the caption takes the whole body",
         true,
         false,
         {none, none, none},
         ButtonIcon::None,
         false},
        {"pointer-out icon while the pointer is away",
         true,
         false,
         {kIcon, kIcon, none},
         ButtonIcon::PointerOut,
         false},
        {"normal icon under the pointer",
         true,
         true,
         {kIcon, kIcon, none},
         ButtonIcon::Normal,
         false},
        {"disabled icon when disabled",
         false,
         false,
         {kIcon, kIcon, kIcon},
         ButtonIcon::Disabled,
         true},
        {"normal icon when disabled without one",
         false,
         false,
         {kIcon, none, none},
         ButtonIcon::Normal,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IconButtonState s;
        s.enabled = c.enabled;
        s.hover = c.hover;
        s.icons = c.icons;
        const IconButtonLayout l = layoutIconButton(kButton, s);
        EXPECT_EQ(l.icon, c.icon);
        EXPECT_EQ(l.captionTwice, c.captionTwice);
        if (c.icon == ButtonIcon::None) {
            EXPECT_EQ(l.caption, l.body);
        }
    }
}

TEST(GroupBoxLayout, CaptionByAlignmentAndFrameThroughItsMiddle) {
    const Box bounds{0, 0, 200, 100};
    const Size caption{50, 14};
    struct Case {
        CaptionAlign align;
        GroupStyle style;
        Box caption;
        Box frame;
    } cases[] = {
        {CaptionAlign::Left, GroupStyle::Frame, {11, 1, 61, 15}, {1, 8, 199, 99}},
        {CaptionAlign::Centre, GroupStyle::Frame, {75, 1, 125, 15}, {1, 8, 199, 99}},
        {CaptionAlign::Right, GroupStyle::Frame, {139, 1, 189, 15}, {1, 8, 199, 99}},
        {CaptionAlign::Left, GroupStyle::Window, {3, 3, 53, 17}, {1, 19, 199, 99}},
        {CaptionAlign::Right, GroupStyle::Window, {147, 3, 197, 17}, {1, 19, 199, 99}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.align) * 10 + static_cast<int>(c.style));
        const GroupBoxLayout g = layoutGroupBox(bounds, caption, c.align, c.style);
        EXPECT_EQ(g.area, bounds.inset(1));
        EXPECT_EQ(g.caption, c.caption);
        EXPECT_EQ(g.frame, c.frame);
    }
}

TEST(GroupBoxLayout, WithoutCaptionTheFrameTakesTheWholeArea) {
    EXPECT_EQ(groupCaption(""), "");
    EXPECT_EQ(groupCaption("Density Settings"), " Density Settings ");
    const GroupBoxLayout g =
        layoutGroupBox({0, 0, 200, 100}, {}, CaptionAlign::Left, GroupStyle::Frame);
    EXPECT_TRUE(g.caption.empty());
    EXPECT_EQ(g.frame, (Box{1, 1, 199, 99}));
}

}  // namespace
}  // namespace setrion::gui::drawing
