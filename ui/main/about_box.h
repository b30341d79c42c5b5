#pragma once
#include "ui/kit/dialog.h"

namespace setrion::ui {

// The About box (template 100): title "About Setrion", "Setrion Version 1.40", OK.
class AboutBox final : public Dialog {
public:
    static constexpr int kTemplateId = 100;
    static constexpr int kVersionTextId = 1100;
    static constexpr int kIconId = 1101;
    explicit AboutBox(Shell& shell);
};

}  // namespace setrion::ui
