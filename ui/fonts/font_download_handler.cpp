#include "ui/fonts/font_download_handler.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "common/utf8_path.h"
#include "fonts/font_download.h"
#include "fonts/font_file.h"
#include "fonts/font_transfer.h"
#include "ui/fonts/font_folders.h"
#include "ui/main/information_window.h"
#include "ui/main/qx7_serial_set_dlg.h"

namespace setrion::ui {

using namespace main_dlg;

namespace {

std::string homeFolder() {
    const char* home = std::getenv("HOME");
    return home ? home : "";
}

void setProgress(CQx7SerialSetDlg& dialog, int position) {
    dialog.control(kFontProgress).position = position;
    dialog.shell().repaint(dialog);
}

}  // namespace

FontDownloadHandler::FontDownloadHandler(Shell& shell, std::function<std::string()> initialFolder)
    : m_select(shell, initialFolder ? std::move(initialFolder)
                                    : std::function<std::string()>([] {
                                          return systemFontFolder(homeFolder());
                                      })),
      m_id(shell) {}

void FontDownloadHandler::open(CQx7SerialSetDlg& dialog) {
    Shell& shell = dialog.shell();
    if (shell.runModal(m_select) != kIdOk) {
        dialog.control(kFontDownload).enabled = false;
        return;
    }
    m_id.setRemember(m_usedBefore);
    m_usedBefore = true;
    if (shell.runModal(m_id) != kIdOk) return;
    dialog.control(kFontDownload).enabled = true;
    m_fontPath = m_select.folder() + m_select.fileName();
    // The list shows paths below the folder; the job carries the file's own name.
    m_fileName = pathToUtf8(pathFromUtf8(m_select.fileName()).filename());
    m_fontId = m_id.fontId();
    m_memory = m_id.targetMemory();
}

void FontDownloadHandler::download(CQx7SerialSetDlg& dialog) {
    Shell& shell = dialog.shell();
    std::optional<std::string> kept =
        shell.chooseSaveFile({kSaveFilterName, kSaveFilterPatterns, kSaveInitialFolder, ""});
    // A folder or a device cannot keep the job: "Write Open Failed", as for a file that
    // cannot be created.
    if (kept && !fonts::keptJobRefusal(*kept).empty()) {
        shell.message(fonts::kWriteOpenFailed, fonts::kFontErrorCaption);
        return;
    }
    if (kept) kept = fonts::keptJobFileName(*kept);

    fonts::JobText job = fonts::makeFontJob(pathFromUtf8(m_fontPath), m_fileName, m_fontId, m_memory);
    if (!job.ok()) {
        shell.message(job.error, fonts::kFontErrorCaption);
        return;
    }
    if (kept && !fonts::keepFontJob(pathFromUtf8(*kept), job.text)) {
        shell.message(fonts::kWriteOpenFailed, fonts::kFontErrorCaption);
        return;
    }
    if (shell.question(fonts::kFontDownloadQuestion, fonts::kFontDownloadQuestionCaption) != kIdYes)
        return;

    dialog.control(kFontOpen).enabled = false;
    dialog.control(kFontDownload).enabled = false;
    dialog.control(kFontProgress).visible = true;
    shell.repaint(dialog);

    if (kept) {
        // The printer gets exactly what was kept.
        job = fonts::readKeptJob(pathFromUtf8(*kept));
        if (!job.ok()) {
            abandon(dialog, job.error);
            return;
        }
    }
    PrinterLink* link = dialog.exchange().links().current();
    shell.setWaitCursor(true);
    const fonts::TransferResult sent =
        link ? fonts::sendFontJob(*link, job.text, [&](int p) { setProgress(dialog, p); })
             : fonts::TransferResult{};
    // A job cut short (a failed piece, or the window closed meanwhile) is closed, so the
    // printer answers again.
    const fonts::JobEnd end =
        link ? fonts::closeUnfinishedJob(*link, sent) : fonts::JobEnd::Nothing;
    shell.setWaitCursor(false);
    if (!sent.ok) {
        abandon(dialog, end == fonts::JobEnd::Stuck ? std::string(fonts::kFontDownloadFailed) +
                                                          "\n" + fonts::kSwitchPrinterOffAndOn
                                                    : fonts::kFontDownloadFailed);
        return;
    }
    setProgress(dialog, 100);
    finishProgress(dialog);
    m_completed = true;
    InformationWindow info(shell, InformationWindow::Kind::FontDownload);
    shell.runModal(info);
    dialog.control(kFontOpen).enabled = true;
    dialog.control(kFontDownload).enabled = false;
}

void FontDownloadHandler::finishProgress(CQx7SerialSetDlg& dialog) {
    dialog.control(kFontProgress).visible = false;
    setProgress(dialog, 0);
}

// A download that could not go out: the bar goes away, and both buttons can be used again
// so the technician may retry.
void FontDownloadHandler::abandon(CQx7SerialSetDlg& dialog, const std::string& message) {
    finishProgress(dialog);
    dialog.shell().message(message, fonts::kFontErrorCaption);
    dialog.control(kFontOpen).enabled = true;
    dialog.control(kFontDownload).enabled = true;
}

}  // namespace setrion::ui
