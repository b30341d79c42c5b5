#include "gui/qt/qt_shell.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QMessageBox>
#include <algorithm>
#include <memory>

#include "common/interrupt.h"
#include "gui/qt/dialog_view.h"

namespace setrion::gui {

QtShell::QtShell() = default;

QtShell::~QtShell() {
    for (auto& [key, t] : m_timers) delete t.data();
    for (auto& [key, n] : m_notifiers) delete n.data();
    if (m_busy) QApplication::restoreOverrideCursor();
}

int QtShell::messageBox(const ui::MessageBox& box) {
    QMessageBox mb(topView());
    mb.setWindowTitle(box.caption.empty() ? QString(kDefaultCaption) : QString::fromStdString(box.caption));
    mb.setText(QString::fromStdString(box.text));
    mb.setTextFormat(Qt::PlainText);
    if (!box.detail.empty()) mb.setInformativeText(QString::fromStdString(box.detail));
    switch (box.icon) {
        case ui::MessageIcon::None: mb.setIcon(QMessageBox::NoIcon); break;
        case ui::MessageIcon::Information: mb.setIcon(QMessageBox::Information); break;
        case ui::MessageIcon::Warning: mb.setIcon(QMessageBox::Warning); break;
        case ui::MessageIcon::Error: mb.setIcon(QMessageBox::Critical); break;
        case ui::MessageIcon::Question: mb.setIcon(QMessageBox::Question); break;
    }
    if (box.buttons == ui::MessageButtons::YesNo) {
        mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        mb.setDefaultButton(QMessageBox::Yes);
    } else {
        mb.setStandardButtons(QMessageBox::Ok);
    }
    // The program is ending on a signal: nothing more is asked or shown (a question is
    // answered No).
    if (interruptSignal() > 0) return box.buttons == ui::MessageButtons::Ok ? ui::kIdOk : ui::kIdNo;
    // A message box is not the place to keep a busy cursor.
    const bool busy = m_busy;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = mb.exec();
    if (busy) QApplication::restoreOverrideCursor();
    if (box.buttons == ui::MessageButtons::Ok) return ui::kIdOk;
    return answer == QMessageBox::Yes ? ui::kIdYes : ui::kIdNo;
}

std::optional<std::string> QtShell::runFileDialog(QFileDialog& dialog) {
    // Qt's own dialog on every platform: the same look everywhere, and it never changes the
    // process's working folder.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool busy = m_busy;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = dialog.exec();
    if (busy) QApplication::restoreOverrideCursor();
    if (answer != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtShell::chooseFolder(const ui::FolderRequest& request) {
    QFileDialog dialog(topView(), QString::fromStdString(request.title),
                       QString::fromStdString(request.startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    // Folders only, with a path entry; read-only, so no new folders are made from here.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::ReadOnly);
    return runFileDialog(dialog);
}

std::optional<std::string> QtShell::chooseSaveFile(const ui::SaveFileRequest& request) {
    QFileDialog dialog(topView(), QString(), QString::fromStdString(request.initialFolder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtNameFilter(request.filterName, request.filterPatterns));
    if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    return runFileDialog(dialog);
}

QString qtNameFilter(const std::string& name, const std::string& patterns) {
    // Qt reads the patterns from the last parentheses of a filter, separated by blanks: the
    // name keeps its text before any "(", the patterns follow it.
    QString label = QString::fromStdString(name);
    if (const qsizetype paren = label.indexOf('('); paren >= 0) label.truncate(paren);
    QString list = QString::fromStdString(patterns);
    list.replace(';', ' ');
    return label.trimmed() + " (" + list.simplified() + ")";
}

std::unique_ptr<DialogView> QtShell::open(ui::Dialog& dialog) {
    auto view = std::make_unique<DialogView>(dialog, *this, topView());
    view->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.init();
    view->render();
    if (!dialog.ended()) {
        m_shown.push_back(view.get());
        if (dialog.windowVisible()) view->show();
    }
    return view;
}

int QtShell::runModal(ui::Dialog& dialog) {
    // A window that waits for the user shows the ordinary cursor; the caller's busy cursor
    // comes back when it ends. The window may show its own busy cursor meanwhile.
    const bool callerBusy = m_busy;
    if (callerBusy) setWaitCursor(false);
    std::unique_ptr<DialogView> view = open(dialog);
    if (!dialog.ended()) {
        view->setWindowModality(Qt::ApplicationModal);
        if (dialog.windowVisible()) {
            view->hide();  // modality applies from the next show
            view->show();
        }
        QEventLoop loop;
        QObject::connect(view.get(), &QDialog::finished, &loop, &QEventLoop::quit);
        if (!dialog.ended()) loop.exec(QEventLoop::DialogExec);
    }
    view.reset();
    dialogDestroyed(dialog);  // the window is gone: no more timers for it
    setWaitCursor(callerBusy);
    return dialog.result();
}

DialogView* QtShell::viewOf(const ui::Dialog& dialog) const {
    for (DialogView* v : m_views)
        if (&v->model() == &dialog) return v;
    return nullptr;
}

DialogView* QtShell::topView() const { return m_views.empty() ? nullptr : m_views.back(); }

bool QtShell::isShown(const DialogView& view) const {
    return std::find(m_shown.begin(), m_shown.end(), &view) != m_shown.end();
}

void QtShell::viewCreated(DialogView& view) { m_views.push_back(&view); }

void QtShell::viewDestroyed(DialogView& view) {
    std::erase(m_views, &view);
    std::erase(m_shown, &view);
}

template <class F>
void QtShell::deliver(ui::Dialog* dialog, F&& entry) {
    if (DialogView* view = viewOf(*dialog)) {
        view->dispatch(entry);
    } else {
        entry();
    }
}

void QtShell::setTimer(ui::Dialog& dialog, int timerId, uint32_t intervalMs) {
    killTimer(dialog, timerId);
    auto* t = new QTimer();
    t->setInterval(static_cast<int>(intervalMs));
    ui::Dialog* d = &dialog;
    QObject::connect(t, &QTimer::timeout, t, [this, d, timerId] {
        deliver(d, [d, timerId] { d->timer(timerId); });
    });
    m_timers[{&dialog, timerId}] = t;
    t->start();
}

void QtShell::killTimer(ui::Dialog& dialog, int timerId) {
    auto it = m_timers.find({&dialog, timerId});
    if (it == m_timers.end()) return;
    if (QTimer* t = it->second.data()) {
        t->stop();
        t->deleteLater();  // it may be the timer whose tick is running now
    }
    m_timers.erase(it);
}

void QtShell::watchSocket(ui::Dialog& dialog, SocketHandle fd) {
    if (m_notifiers.count({&dialog, fd}) != 0) return;
    auto* n = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read);
    ui::Dialog* d = &dialog;
    QObject::connect(n, &QSocketNotifier::activated, n, [this, d, fd] {
        deliver(d, [d, fd] { d->socketReadable(fd); });
    });
    m_notifiers[{&dialog, fd}] = n;
}

void QtShell::unwatchSocket(ui::Dialog& dialog, SocketHandle fd) {
    auto it = m_notifiers.find({&dialog, fd});
    if (it == m_notifiers.end()) return;
    if (QSocketNotifier* n = it->second.data()) {
        n->setEnabled(false);
        n->deleteLater();
    }
    m_notifiers.erase(it);
}

void QtShell::setWaitCursor(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void QtShell::repaint(ui::Dialog& dialog) {
    if (DialogView* view = viewOf(dialog)) {
        view->render();
        view->repaint();
    }
}

void QtShell::dialogDestroyed(ui::Dialog& dialog) {
    std::vector<Key> timers;
    for (auto& [key, t] : m_timers)
        if (key.first == &dialog) timers.push_back(key);
    for (const Key& k : timers) killTimer(dialog, k.second);
    std::vector<std::pair<const ui::Dialog*, SocketHandle>> socks;
    for (auto& [key, n] : m_notifiers)
        if (key.first == &dialog) socks.push_back(key);
    for (const auto& k : socks) unwatchSocket(dialog, k.second);
}

}  // namespace setrion::gui
