#pragma once
#include <functional>
#include <string>

#include "fonts/font_job.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/font_download_controller.h"

namespace setrion::ui {

// The main dialog's font group: Open (1027) runs the font selection and font ID dialogs,
// Download (1028) builds the job, optionally keeps it as a ".tfd" file, asks, and sends it
// over the dialog's current link with the progress bar 1174.
class FontDownloadHandler final : public FontDownloadController {
public:
    static constexpr const char* kSaveFilterName = "Font File(*.tfd)";
    static constexpr const char* kSaveFilterPatterns = "*.tfd;*.doc";
    static constexpr const char* kSaveInitialFolder = "./";

    // `initialFolder` gives the folder the selection dialog opens at; null: the system's
    // font folder.
    explicit FontDownloadHandler(Shell& shell, std::function<std::string()> initialFolder = {});

    void open(CQx7SerialSetDlg& dialog) override;
    void download(CQx7SerialSetDlg& dialog) override;

    // What the last Open chose.
    const std::string& fontPath() const { return m_fontPath; }
    const std::string& fileName() const { return m_fileName; }
    int fontId() const { return m_fontId; }
    fonts::TargetMemory targetMemory() const { return m_memory; }
    bool downloadCompleted() const { return m_completed; }

private:
    void finishProgress(CQx7SerialSetDlg& dialog);
    void abandon(CQx7SerialSetDlg& dialog, const std::string& message);

    CFontSelectDlg m_select;
    CFontIdDlg m_id;
    bool m_usedBefore = false;
    std::string m_fontPath;
    std::string m_fileName;
    int m_fontId = fonts::kFirstFontId;
    fonts::TargetMemory m_memory = fonts::TargetMemory::Ram;
    bool m_completed = false;
};

}  // namespace setrion::ui
