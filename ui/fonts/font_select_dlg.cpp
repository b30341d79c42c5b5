#include "ui/fonts/font_select_dlg.h"

#include "common/utf8_path.h"
#include "ui/fonts/font_dialog_ids.h"
#include "ui/fonts/font_folders.h"

namespace setrion::ui {

using namespace font_dlg;

CFontSelectDlg::CFontSelectDlg(Shell& shell, std::function<std::string()> initialFolder)
    : Dialog(shell, kTemplateId, "Download Font Selection Dialog", 258, 135),
      m_initialFolder(std::move(initialFolder)) {
    add(kFontOpenFolder, ControlKind::IconButton, "Open Folder...", {7, 7, 72, 28}).iconNumber = 155;
    add(kFontFolderLabel, ControlKind::Static, "Directory for True-Type Font :  ", {86, 8, 165, 9});
    add(kFontFolder, ControlKind::Edit, "", {86, 19, 165, 13}).readOnly = true;
    add(kFontList, ControlKind::ListBox, "", {7, 40, 244, 60});
    Control& select = add(kIdOk, ControlKind::IconButton, "&Select", {140, 104, 54, 26});
    select.iconNumber = 145;
    select.isDefault = true;
    add(kIdCancel, ControlKind::IconButton, "&Cancel", {197, 104, 54, 26}).iconNumber = 132;
}

void CFontSelectDlg::onInit() {
    m_folder = withTrailingSeparator(m_initialFolder ? m_initialFolder() : std::string("/"));
    control(kFontFolder).text = m_folder;
    fillList();
    enable(kIdOk, false);
}

void CFontSelectDlg::fillList() { control(kFontList).setItems(trueTypeFilesIn(pathFromUtf8(m_folder))); }

void CFontSelectDlg::onClicked(int id) {
    switch (id) {
        case kFontOpenFolder: openFolder(); break;
        case kIdOk: confirm(); break;
        default: Dialog::onClicked(id); break;
    }
}

void CFontSelectDlg::openFolder() {
    if (std::optional<std::string> chosen = shell().chooseFolder({kFolderTitle, m_folder}))
        m_folder = withTrailingSeparator(*chosen);
    if (!m_folder.empty()) {
        control(kFontFolder).text = m_folder;
        fillList();
    }
    m_fileName.clear();
    if (control(kFontList).items.empty()) enable(kIdOk, false);
}

void CFontSelectDlg::onSelectionChanged(int id) {
    if (id == kFontList) enable(kIdOk, control(kFontList).selection >= 0);
}

void CFontSelectDlg::confirm() {
    const Control& list = control(kFontList);
    if (list.selection < 0) {
        shell().message(kSelectFont);
        return;
    }
    m_fileName = list.selectedText();
    endDialog(kIdOk);
}

}  // namespace setrion::ui
