#include "ui/main/about_box.h"

namespace setrion::ui {

AboutBox::AboutBox(Shell& shell) : Dialog(shell, kTemplateId, "About Setrion", 170, 62) {
    // The application icon (resource 128) beside the version line.
    add(kIconId, ControlKind::Static, "", {10, 12, 21, 20}).iconNumber = 128;
    add(kVersionTextId, ControlKind::Static, "Setrion Version 1.40", {40, 16, 120, 10});
    Control& ok = add(kIdOk, ControlKind::Button, "OK", {60, 40, 50, 14});
    ok.isDefault = true;
}

}  // namespace setrion::ui
