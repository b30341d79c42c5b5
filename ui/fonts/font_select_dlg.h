#pragma once
#include <functional>
#include <string>

#include "ui/kit/dialog.h"

namespace setrion::ui {

// The font selection dialog (template 157): a folder, its TrueType files, Select/Cancel.
// Each opening starts again at the system's font folder; the folder and file name of the
// last confirmed choice stay readable after the dialog ends.
class CFontSelectDlg final : public Dialog {
public:
    static constexpr int kTemplateId = 157;
    static constexpr const char* kFolderTitle = "Choose a folder containing TTF fonts";
    static constexpr const char* kSelectFont = "Select font ?";

    // `initialFolder` gives the folder shown on opening (normally systemFontFolder()).
    CFontSelectDlg(Shell& shell, std::function<std::string()> initialFolder);

    // The current folder, always ending in '/'.
    const std::string& folder() const { return m_folder; }
    // The selected file name (empty until Select).
    const std::string& fileName() const { return m_fileName; }

protected:
    void onInit() override;
    void onClicked(int id) override;
    void onSelectionChanged(int id) override;

private:
    void fillList();
    void openFolder();
    void confirm();

    std::function<std::string()> m_initialFolder;
    std::string m_folder;
    std::string m_fileName;
};

}  // namespace setrion::ui
