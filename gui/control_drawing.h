#pragma once
// The drawing rules of the two owner-drawn controls, shared by both desktop hosts: where the
// icon and caption of an icon button go, which frame and border it shows for its state, and
// where a group box's caption and frame lie. The hosts only paint what these decide.
#include <array>
#include <string>

namespace setrion::gui::drawing {

// A pixel rectangle; right and bottom lie just outside it.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    Box inset(int n) const { return {left + n, top + n, right - n, bottom - n}; }
    Box moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const Box&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

enum class IconAlign { Left, Top, Right };
enum class ButtonBorder { None, Raised, Sunken };
enum class ButtonIcon { None, Normal, PointerOut, Disabled };
// Which of the button's background and caption colour pairs it shows.
enum class ButtonColours { PointerIn, PointerOut, Focused };

struct IconButtonState {
    bool enabled = true;
    bool focused = false;
    bool isDefault = false;
    bool pressed = false;  // held down (or, as a check box, checked)
    bool hover = false;
    bool checkBox = false;
    bool flat = false;
    bool drawBorder = false;  // a flat button's border on hover
    bool flatFocus = false;   // a flat button's focus rectangle
    IconAlign align = IconAlign::Left;
    // The size of each icon the button has (normal, pointer out, disabled); empty: none.
    std::array<Size, 3> icons{};
};

struct IconButtonLayout {
    bool blackFrame = false;  // the whole rectangle framed in black, the body shrunk by 1
    Box body;                 // filled with the background, edged by the border
    ButtonColours colours = ButtonColours::PointerOut;
    ButtonBorder border = ButtonBorder::None;
    ButtonIcon icon = ButtonIcon::None;
    Box iconBox;
    Box caption;                // centred in it, wrapped at word breaks
    bool captionTwice = false;  // disabled: highlight one pixel down-right, then shadow on top
    bool focusRect = false;
    Box focus;
};

inline constexpr int kIconGap = 3;  // an icon's distance from the edge it is aligned to
inline constexpr int kFocusInset = 3;

IconButtonLayout layoutIconButton(Box bounds, const IconButtonState& state);

enum class GroupStyle { Frame, Window };
enum class CaptionAlign { Left = 0, Centre = 1, Right = 2 };

inline constexpr int kGroupCaptionInset = 10;  // frame style: caption distance from the side
inline constexpr int kGroupWindowInset = 2;    // window style
inline constexpr int kGroupCornerSize = 10;    // rounded corner ellipse, 10 x 10

struct GroupBoxLayout {
    Box area;     // the rectangle shrunk by 1
    Box caption;  // the caption's text, on the background colour of the caption
    Box frame;    // frame style: a rounded rectangle the caption breaks; window: filled
};

// The caption as shown: one blank before and after, nothing when there is no text.
std::string groupCaption(const std::string& text);
// `captionSize` is the shown caption's extent in the box's font (empty without a caption).
GroupBoxLayout layoutGroupBox(Box bounds, Size captionSize, CaptionAlign align, GroupStyle style);

}  // namespace setrion::gui::drawing
