#pragma once
#include <QPointer>
#include <QString>
#include <QSocketNotifier>
#include <QTimer>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/qt/painting_clock.h"
#include "ui/kit/shell.h"

class QFileDialog;
class QWidget;

namespace setrion::gui {

class DialogView;

// The Shell of the desktop program: Qt message boxes, modal windows for the dialog models,
// Qt timers and socket notifiers, the wait cursor, and a clock that keeps painting.
class QtShell final : public ui::Shell {
public:
    QtShell();
    ~QtShell() override;

    int messageBox(const ui::MessageBox& box) override;
    int runModal(ui::Dialog& dialog) override;
    std::optional<std::string> chooseFolder(const ui::FolderRequest& request) override;
    std::optional<std::string> chooseSaveFile(const ui::SaveFileRequest& request) override;
    void setTimer(ui::Dialog& dialog, int timerId, uint32_t intervalMs) override;
    void killTimer(ui::Dialog& dialog, int timerId) override;
    void watchSocket(ui::Dialog& dialog, SocketHandle socket) override;
    void unwatchSocket(ui::Dialog& dialog, SocketHandle socket) override;
    void setWaitCursor(bool busy) override;
    void repaint(ui::Dialog& dialog) override;
    Clock& clock() override { return m_clock; }
    void dialogDestroyed(ui::Dialog& dialog) override;

    // Builds, initialises and shows the dialog's window without waiting for it to end; the
    // caller owns the window and keeps the dialog alive as long. runModal() uses it too.
    std::unique_ptr<DialogView> open(ui::Dialog& dialog);
    // The window of a dialog, or nullptr; the topmost open window.
    DialogView* viewOf(const ui::Dialog& dialog) const;
    DialogView* topView() const;
    bool waitCursor() const { return m_busy; }
    bool isShown(const DialogView& view) const;

    // Called by DialogView.
    void viewCreated(DialogView& view);
    void viewDestroyed(DialogView& view);

    // The caption of a message box given none.
    static constexpr const char* kDefaultCaption = "Setrion";

private:
    using Key = std::pair<const ui::Dialog*, int>;
    // Runs a file dialog with the arrow cursor; the selected path or nullopt.
    std::optional<std::string> runFileDialog(QFileDialog& dialog);
    template <class F>
    void deliver(ui::Dialog* dialog, F&& entry);

    PaintingClock m_clock;
    std::vector<DialogView*> m_views;  // bottom to top
    std::vector<const DialogView*> m_shown;
    std::map<Key, QPointer<QTimer>> m_timers;
    std::map<std::pair<const ui::Dialog*, SocketHandle>, QPointer<QSocketNotifier>> m_notifiers;
    bool m_busy = false;
};

// A Qt name filter for a filter name and ';'-separated patterns: "Font File(*.tfd)" with
// "*.tfd;*.doc" gives "Font File (*.tfd *.doc)".
QString qtNameFilter(const std::string& name, const std::string& patterns);

}  // namespace setrion::gui
