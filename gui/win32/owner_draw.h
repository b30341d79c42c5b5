#pragma once
#include <string>

#include "gui/win32/win32_api.h"

namespace setrion::gui {

// The owner-drawn controls of the Win32 host, painted where the shared drawing rules
// (gui/control_drawing.h) put their parts, as the Qt host's IconButton and CXPGroupBox are.
struct IconButtonState {
    bool pressed = false;
    bool focused = false;
    bool enabled = true;
    bool isDefault = false;
};
// A 3-D push button with its icon at the left and the caption centred in the rest; the
// default or focused button framed in black; a pressed one sunken, its content moved by one
// pixel; a disabled caption drawn twice (highlight, then shadow on top); the focus rectangle.
void drawIconButton(HDC dc, RECT r, const std::wstring& caption, HICON icon, int iconSize,
                    const IconButtonState& state);

struct GroupBoxLook {
    std::wstring caption;
    COLORREF colour = 0;
    int alignment = 0;  // 0 left, 1 centred, 2 right
};
// A rounded frame broken by its caption (one blank before and after), the caption at 10
// pixels from the side it is aligned to.
void drawGroupBox(HDC dc, RECT r, HFONT font, const GroupBoxLook& look);

}  // namespace setrion::gui
