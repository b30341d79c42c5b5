#include "ui/fonts/font_id_dlg.h"

#include <string>
#include <vector>

#include "ui/fonts/font_dialog_ids.h"

namespace setrion::ui {

using namespace font_dlg;

CFontIdDlg::CFontIdDlg(Shell& shell)
    : Dialog(shell, kTemplateId, "Download Font ID Setting", 176, 90) {
    add(kFontIdGroup, ControlKind::GroupBox, "MPCL Font ID", {7, 5, 78, 45}).colour = kFontGroupColour;
    add(kFontIdList, ControlKind::DropList, "", {15, 22, 62, 120});
    add(kFontMemoryGroup, ControlKind::GroupBox, "Target Memory", {91, 5, 78, 45}).colour =
        kFontGroupColour;
    add(kFontRam, ControlKind::Radio, "  RAM", {99, 18, 62, 10});
    add(kFontFlash, ControlKind::Radio, "  Flash", {99, 32, 62, 10});
    Control& ok = add(kIdOk, ControlKind::IconButton, "OK", {66, 56, 44, 28});
    ok.iconNumber = 145;
    ok.isDefault = true;
}

void CFontIdDlg::onInit() {
    std::vector<std::string> ids;
    for (int id = fonts::kFirstFontId; id <= fonts::kLastFontId; ++id) ids.push_back(std::to_string(id));
    control(kFontIdList).setItems(std::move(ids), 0);
    m_position = 0;
    if (!m_remember) m_memory = fonts::TargetMemory::Ram;
    checkMemory();
}

void CFontIdDlg::checkMemory() {
    checkRadio(m_memory == fonts::TargetMemory::Flash ? kFontFlash : kFontRam, {kFontRam, kFontFlash});
}

void CFontIdDlg::onSelectionChanged(int id) {
    if (id == kFontIdList) m_position = control(kFontIdList).selection;
}

void CFontIdDlg::onClicked(int id) {
    switch (id) {
        case kFontRam:
            m_memory = fonts::TargetMemory::Ram;
            checkMemory();
            break;
        case kFontFlash:
            m_memory = fonts::TargetMemory::Flash;
            checkMemory();
            break;
        case kIdOk:
            m_fontId = m_position + fonts::kFirstFontId;
            endDialog(kIdOk);
            break;
        default: Dialog::onClicked(id); break;
    }
}

}  // namespace setrion::ui
