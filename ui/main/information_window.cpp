#include "ui/main/information_window.h"

namespace setrion::ui {

InformationWindow::InformationWindow(Shell& shell, Kind kind)
    : Dialog(shell, kTemplateId, "Information", 187, 78), m_kind(kind) {
    add(kTextId, ControlKind::Static, "", {10, 10, 167, 30});
    Control& ok = add(kIdOk, ControlKind::IconButton, "OK", {72, 44, 44, 28});
    ok.iconNumber = 145;
    ok.isDefault = true;
}

std::string InformationWindow::titleText() const {
    switch (m_kind) {
        case Kind::PowerSave: return "Power Save Mode Setting Information";
        case Kind::CodePage: return "Code Page Setting Information";
        case Kind::FactoryReset: return "Factory settting completed";
        case Kind::Density: return "Printer Density Setting Information";
        case Kind::FontDownload: return "Font download Information";
    }
    return "Information";
}

std::string InformationWindow::bodyText() const {
    switch (m_kind) {
        case Kind::PowerSave: return powerSaveConfirmation(m_mode, m_minutes);
        case Kind::CodePage: return codePageConfirmation(m_codePage);
        case Kind::FactoryReset: return "Printer is reset to factory settings.";
        case Kind::Density: return densityConfirmation(m_density);
        case Kind::FontDownload: return "Font download is success.";
    }
    return {};
}

void InformationWindow::onInit() {
    setTitle(titleText());
    control(kTextId).text = bodyText();
}

}  // namespace setrion::ui
