// setrion-gui-driver: the desktop program's main window on the Qt offscreen platform, driven as
// a user would, for the device scenarios (tests/devices), which assert what it prints: one
// "key: value" line per observation, line breaks in texts written as \n.
//
//   setrion-gui-driver download FONT ID ram|flash
//       Port "USB", Open Port, Open (the font is chosen by its name in the folder the font
//       selection dialog shows first, then ID and memory), Download without keeping a file,
//       Yes; then the progress bar's positions, the window that ended the download, the
//       buttons afterwards and Close Port.
//   setrion-gui-driver ports
//       The Port list's entries once it was dropped down.
//
// Exit 0 when every expected window came and went, 1 otherwise; every wait is bounded
// (SETRION_DRIVER_BOUND_MS, default 150000, for the whole run).
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "gui/main_session.h"
#include "gui/qt/dialog_view.h"
#include "gui/qt/qt_shell.h"
#include "link/spooler.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "ui/fonts/font_dialog_ids.h"
#include "ui/main/information_window.h"
#include "ui/main/main_dialog_ids.h"

namespace setrion::gui {
namespace {

using namespace ui::main_dlg;
using Steady = std::chrono::steady_clock;

const Steady::time_point g_start = Steady::now();

long long msBetween(Steady::time_point from, Steady::time_point to) {
    return static_cast<long long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
}
long long sinceStartMs() { return msBetween(g_start, Steady::now()); }

void report(const char* key, const QString& value) {
    QString v = value;
    v.replace('\n', "\\n");
    std::printf("%s: %s\n", key, v.toUtf8().constData());
    std::fflush(stdout);
}
void report(const char* key, long long value) { report(key, QString::number(value)); }
void report(const char* key, bool value) { report(key, QString(value ? "yes" : "no")); }

int boundMs() {
    const char* env = std::getenv("SETRION_DRIVER_BOUND_MS");
    return env ? std::atoi(env) : 150000;
}

// A run that outlives its bound says so and ends at once: a hang fails, it never waits.
void startWatchdog() {
    auto* timer = new QTimer(&test::app());
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, [] {
        report("hang", sinceStartMs());
        std::_Exit(3);
    });
    timer->start(boundMs());
}

// Picks `item` of a drop list the way a selection by the user arrives.
bool choose(DialogView* v, int id, const QString& item) {
    auto* cb = qobject_cast<QComboBox*>(v->widget(id));
    const int i = cb ? cb->findText(item) : -1;
    if (i < 0) return false;
    cb->setCurrentIndex(i);
    emit cb->activated(i);
    return true;
}

bool click(DialogView* v, int id) {
    QWidget* w = v->widget(id);
    if (w == nullptr || !w->isEnabled()) {
        report("not enabled", QString::number(id));
        return false;
    }
    QTest::mouseClick(w, Qt::LeftButton);
    return true;
}

// Reads a window the download ended with: the information window or a message box, then
// presses its OK.
QString readAndClose(QWidget* w) {
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        const test::ShownBox shown = test::readBox(w);
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->accept();
        return "box|" + shown.caption + "|" + shown.text;
    }
    auto* v = qobject_cast<DialogView*>(w);
    if (v == nullptr) return "unknown|" + w->windowTitle();
    auto* label = qobject_cast<QLabel*>(v->widget(ui::InformationWindow::kTextId));
    const QString text = "window|" + w->windowTitle() + "|" + (label ? label->text() : QString());
    QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
    return text;
}

// Port "USB" and Open Port; a failure's message box is read and closed.
bool openUsbPort(DialogView* view) {
    if (!choose(view, kPort, "USB")) return false;
    QString failure;
    {
        test::ModalDriver onFailure([&](QWidget* w) { failure = readAndClose(w); }, view, 10000);
        if (!click(view, kOpenPort)) return false;
    }
    if (!failure.isEmpty()) report("open port", failure);
    return view->widget(kClosePort)->isEnabled();
}

// Open (1027): the font by its name in the first folder, then the ID and the memory.
bool chooseFont(DialogView* view, const QString& font, const QString& id, bool flash) {
    QStringList listed;
    bool found = false;
    test::ModalSequence seq(
        {
            [&](QWidget* w) {
                auto* v = qobject_cast<DialogView*>(w);
                auto* list = v ? qobject_cast<QListWidget*>(v->widget(ui::font_dlg::kFontList)) : nullptr;
                if (list == nullptr) {
                    static_cast<QDialog*>(w)->reject();
                    return;
                }
                for (int i = 0; i < list->count(); ++i) {
                    listed << list->item(i)->text();
                    if (list->item(i)->text() == font) {
                        list->setCurrentRow(i);
                        found = true;
                    }
                }
                if (found)
                    QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
                else
                    static_cast<QDialog*>(v)->reject();
            },
            [&](QWidget* w) {
                auto* v = qobject_cast<DialogView*>(w);
                if (v == nullptr) {
                    static_cast<QDialog*>(w)->reject();
                    return;
                }
                choose(v, ui::font_dlg::kFontIdList, id);
                QTest::mouseClick(v->widget(flash ? ui::font_dlg::kFontFlash : ui::font_dlg::kFontRam),
                                  Qt::LeftButton);
                QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
            },
        },
        view, 30000);
    if (!click(view, kFontOpen)) return false;
    report("fonts listed", listed.join(", "));
    return found && seq.finished() && view->widget(kFontDownload)->isEnabled();
}

int runDownload(const QString& font, const QString& id, bool flash) {
    QtShell shell;
    MainSession session(shell, {}, std::make_unique<NullSpooler>());
    std::unique_ptr<DialogView> view = shell.open(session.dialog());
    if (!openUsbPort(view.get())) {
        report("result", QString("the USB port did not open"));
        return 1;
    }
    report("port open at ms", sinceStartMs());
    if (!chooseFont(view.get(), font, id, flash)) {
        report("result", QString("the font was not chosen"));
        return 1;
    }

    auto* bar = qobject_cast<QProgressBar*>(view->widget(kFontProgress));
    QStringList positions;
    bool hiddenWhileMoving = false;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        positions << QString::number(value);
        if (value > 0 && !bar->isVisible()) hiddenWhileMoving = true;
    });
    // The longest time no posted event was delivered: how long the window could not repaint
    // (a repaint is a posted event; timers and input wait for the download by design). A
    // thread posts a tick every 20 ms while the download runs.
    long long longestStallMs = 0;
    Steady::time_point lastTick = Steady::now();
    std::atomic<bool> ticking{false};
    std::thread ticker;
    const auto startTicks = [&] {
        ticking = true;
        ticker = std::thread([&] {
            while (ticking) {
                QMetaObject::invokeMethod(qApp, [&] {
                    const Steady::time_point now = Steady::now();
                    longestStallMs = std::max(longestStallMs, msBetween(lastTick, now));
                    lastTick = now;
                }, Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    };
    const auto stopTicks = [&] {
        ticking = false;
        if (ticker.joinable()) ticker.join();
        QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
    };
    QString question;
    QString ended;
    Steady::time_point yesAt;
    Steady::time_point endedAt;
    test::ModalSequence seq(
        {
            [&](QWidget* w) { static_cast<QDialog*>(w)->reject(); },  // no file kept
            [&](QWidget* w) {
                question = test::readBox(w).text;
                yesAt = Steady::now();
                lastTick = yesAt;
                startTicks();
                report("download started at ms", sinceStartMs());
                qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
            },
            [&](QWidget* w) {
                endedAt = Steady::now();
                stopTicks();
                ended = readAndClose(w);
            },
        },
        view.get(), boundMs());
    const bool clicked = click(view.get(), kFontDownload);
    stopTicks();
    if (!clicked) return 1;
    report("question", question);
    report("progress", positions.join(" "));
    report("bar hidden while moving", hiddenWhileMoving);
    report("ended with", ended);
    if (seq.finished())
        report("ended after ms", msBetween(yesAt, endedAt));
    report("longest stall ms", longestStallMs);
    report("bar visible", bar->isVisible());
    report("open enabled", view->widget(kFontOpen)->isEnabled());
    report("download enabled", view->widget(kFontDownload)->isEnabled());

    const Steady::time_point closing = Steady::now();
    if (!click(view.get(), kClosePort)) return 1;
    report("close port ms", msBetween(closing, Steady::now()));
    return seq.finished() ? 0 : 1;
}

int runPorts() {
    QtShell shell;
    MainSession session(shell, {}, std::make_unique<NullSpooler>());
    std::unique_ptr<DialogView> view = shell.open(session.dialog());
    auto* port = qobject_cast<QComboBox*>(view->widget(kPort));
    // Discovered devices join the list when it is dropped down.
    port->showPopup();
    port->hidePopup();
    for (int i = 0; i < port->count(); ++i) report("port", port->itemText(i));
    return 0;
}

}  // namespace
}  // namespace setrion::gui

int main(int argc, char** argv) {
    using namespace setrion::gui;
    test::app();
    startWatchdog();
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (args.size() == 4 && args[0] == "download" && (args[3] == "ram" || args[3] == "flash"))
        return runDownload(args[1], args[2], args[3] == "flash");
    if (args.size() == 1 && args[0] == "ports") return runPorts();
    std::fprintf(stderr, "usage: %s download FONT ID ram|flash | ports\n", argc > 0 ? argv[0] : "");
    return 1;
}
