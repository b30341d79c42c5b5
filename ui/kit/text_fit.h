#pragma once
#include <string>
#include <vector>

#include "ui/kit/dialog.h"

namespace setrion::ui {

// One text a control shows, for the check that no text is cut off.
struct ShownText {
    int controlId = 0;
    std::string text;       // as the model holds it ('&' marks a mnemonic)
    bool listItem = false;  // an item of a list: shown in the closed list and when dropped down
};

// Every text the dialog's controls show or may show: the captions of buttons, check boxes,
// radios, statics and group boxes, every list item, and each control's otherTexts. An edit's
// own text is the user's and is left out, as are controls marked neverShown. The host
// measures each with its font against the control's size at its scale.
std::vector<ShownText> textsToFit(const Dialog& dialog);

}  // namespace setrion::ui
