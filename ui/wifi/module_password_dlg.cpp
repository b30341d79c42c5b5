#include "ui/wifi/module_password_dlg.h"

namespace setrion::ui {

ModulePasswordDlg::ModulePasswordDlg(Shell& shell, std::string macText)
    : Dialog(shell, kTemplateId, "Module Password", 186, 80) {
    // Two lines: the MAC address makes the sentence longer than the dialog is wide.
    add(kPromptId, ControlKind::Static, "The module " + macText + " is protected by a password.",
        {7, 7, 172, 20});
    add(7323, ControlKind::Static, "Password : ", {7, 34, 44, 10});
    Control& edit = add(kPasswordId, ControlKind::Edit, "", {54, 32, 125, 13});
    edit.password = true;
    edit.textLimit = kMaxLength;
    Control& ok = add(kIdOk, ControlKind::Button, "OK", {75, 56, 50, 16});
    ok.isDefault = true;
    add(kIdCancel, ControlKind::Button, "Cancel", {129, 56, 50, 16});
}

void ModulePasswordDlg::onInit() { control(kPasswordId).text.clear(); }

std::optional<std::string> ModulePasswordDlg::ask(Shell& shell, const std::string& macText) {
    ModulePasswordDlg dlg(shell, macText);
    if (shell.runModal(dlg) != kIdOk) return std::nullopt;
    return dlg.password();
}

}  // namespace setrion::ui
