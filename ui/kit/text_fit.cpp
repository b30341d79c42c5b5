#include "ui/kit/text_fit.h"

namespace setrion::ui {

std::vector<ShownText> textsToFit(const Dialog& dialog) {
    std::vector<ShownText> out;
    for (const Control* c : dialog.controls()) {
        if (c->neverShown) continue;
        const bool list = c->kind == ControlKind::DropList || c->kind == ControlKind::ListBox;
        const bool caption = !list && c->kind != ControlKind::Edit &&
                             c->kind != ControlKind::IpAddress &&
                             c->kind != ControlKind::ProgressBar && c->iconNumber == 0;
        if (caption && !c->text.empty()) out.push_back({c->id, c->text, false});
        if (c->kind == ControlKind::IconButton && !c->text.empty())
            out.push_back({c->id, c->text, false});
        for (const std::string& item : c->items) out.push_back({c->id, item, true});
        for (const std::string& other : c->otherTexts) out.push_back({c->id, other, list});
    }
    return out;
}

}  // namespace setrion::ui
