#pragma once
#include <string>
#include <vector>

#include "gui/win32/win32_api.h"

namespace setrion::gui {

class DialogWindow;

// A text that does not fit where its Win32 control shows it.
struct Win32CutText {
    int controlId = 0;
    std::string text;
    SIZE needed{};     // the text's extent in pixels
    SIZE available{};  // the room the control gives it
};

// Measures every text of the window's model (ui::textsToFit) with the font each control really
// draws with against the room the control gives it: a drop list's item in its closed field, a
// button's caption inside its edges (an icon button's beside its icon), a check box's text
// beside its box, a static's text wrapped to its rectangle, a list box's item, a group box's
// caption between its corners. Returns the texts that are cut.
std::vector<Win32CutText> cutTexts(DialogWindow& window);

}  // namespace setrion::gui
