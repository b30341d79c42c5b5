#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include "gui/qt/dialog_view.h"
#include "gui/qt/icon_button.h"
#include "gui/qt/ip_address_edit.h"
#include "gui/qt/qt_shell.h"
#include "gui/qt/xp_group_box.h"
#include "tests/gui/kinds_dialog.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"

namespace setrion::gui {
namespace {

using test::KindsDialog;
using ui::ControlKind;

class HostTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::app(); }
    void SetUp() override {
        view = shell.open(dialog);
        QApplication::setActiveWindow(view.get());
    }
    template <class W>
    W* w(int id) {
        return qobject_cast<W*>(view->widget(id));
    }
    QtShell shell;
    KindsDialog dialog{shell, [](SocketHandle s) {
                           char buf[16];
                           return ::read(static_cast<int>(s), buf, sizeof buf) > 0;
                       }};
    std::unique_ptr<DialogView> view;
};

TEST_F(HostTest, EachKindGetsItsWidgetAtItsRectangle) {
    EXPECT_NE(w<CXPGroupBox>(10), nullptr);
    EXPECT_NE(w<IconButton>(11), nullptr);
    EXPECT_NE(w<QLineEdit>(12), nullptr);
    EXPECT_NE(w<QComboBox>(13), nullptr);
    EXPECT_NE(w<QCheckBox>(14), nullptr);
    EXPECT_NE(w<QRadioButton>(15), nullptr);
    EXPECT_NE(w<QLabel>(17), nullptr);
    EXPECT_NE(w<IpAddressEdit>(18), nullptr);
    EXPECT_NE(w<QProgressBar>(19), nullptr);
    EXPECT_NE(w<QListWidget>(20), nullptr);
    const QSize base = view->baseUnits();
    EXPECT_EQ(view->size(), QSize((200 * base.width() + 2) / 4, (160 * base.height() + 4) / 8));
    EXPECT_EQ(view->widget(11)->geometry(),
              QRect((10 * base.width() + 2) / 4, (15 * base.height() + 4) / 8,
                    (60 * base.width() + 2) / 4, (20 * base.height() + 4) / 8));
    EXPECT_EQ(view->windowTitle(), QString("Kinds"));
}

TEST_F(HostTest, InitialStateIsShown) {
    EXPECT_EQ(w<IconButton>(11)->text(), QString("Go"));
    EXPECT_EQ(w<IconButton>(11)->iconNumber(), 130);
    EXPECT_FALSE(view->widget(11)->isEnabled());
    EXPECT_FALSE(view->widget(21)->isVisible());
    EXPECT_TRUE(view->widget(ui::kIdOk)->isVisible());
    EXPECT_TRUE(w<IconButton>(ui::kIdOk)->isDefaultButton());
    EXPECT_EQ(w<QComboBox>(13)->count(), 2);
    EXPECT_EQ(w<QComboBox>(13)->currentText(), QString("8"));
    EXPECT_EQ(w<QListWidget>(20)->count(), 3);
    EXPECT_EQ(w<QLabel>(17)->text(), QString("Label : "));
    EXPECT_EQ(w<CXPGroupBox>(10)->caption(), QString(" Group "));
}

TEST_F(HostTest, TypingRunsHandlerAndLimitRefusesExtraCharacters) {
    auto* edit = w<QLineEdit>(12);
    edit->setFocus();
    QTest::keyClicks(edit, "12345");
    EXPECT_EQ(dialog.control(12).text, "1234");
    EXPECT_EQ(edit->text(), QString("1234"));
    EXPECT_TRUE(view->widget(11)->isEnabled());  // the handler enabled it
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(dialog.control(12).text, "");
    EXPECT_FALSE(view->widget(11)->isEnabled());
}

TEST_F(HostTest, ClickRunsHandlerAndEveryControlIsShownAgain) {
    dialog.control(12).text = "x";  // a change made outside any handler shows on the next render
    QTest::keyClicks(w<QLineEdit>(12), "y");
    QTest::mouseClick(view->widget(11), Qt::LeftButton);
    EXPECT_EQ(dialog.clicks, 1);
    EXPECT_EQ(w<QLabel>(17)->text(), QString("Clicked"));
    EXPECT_EQ(w<IconButton>(11)->iconNumber(), 135);
    EXPECT_EQ(w<QProgressBar>(19)->value(), 40);
    // A disabled or hidden control's click never reaches the model.
    view->widget(11)->setEnabled(false);
    QTest::mouseClick(view->widget(11), Qt::LeftButton);
    EXPECT_EQ(dialog.clicks, 1);
}

TEST_F(HostTest, SelectionIsPutBackWhenTheHandlerRefusesIt) {
    auto* combo = w<QComboBox>(13);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);  // user moves to "7"
    EXPECT_EQ(dialog.control(13).selection, 1);
    EXPECT_EQ(combo->currentText(), QString("8"));
    w<QListWidget>(20)->setCurrentRow(2);
    EXPECT_EQ(dialog.control(20).selection, 2);
    EXPECT_EQ(w<QLabel>(17)->text(), QString("c"));
}

TEST_F(HostTest, RadiosAndCheckBoxFollowTheModel) {
    QTest::mouseClick(view->widget(15), Qt::LeftButton);
    EXPECT_TRUE(w<QRadioButton>(15)->isChecked());
    QTest::mouseClick(view->widget(16), Qt::LeftButton);
    EXPECT_FALSE(w<QRadioButton>(15)->isChecked());
    EXPECT_TRUE(w<QRadioButton>(16)->isChecked());
    QTest::mouseClick(view->widget(14), Qt::LeftButton);
    EXPECT_TRUE(dialog.control(14).checked);
    EXPECT_TRUE(w<QCheckBox>(14)->isChecked());
}

TEST_F(HostTest, IpAddressFieldsEditTheOctets) {
    auto* ip = w<IpAddressEdit>(18);
    EXPECT_EQ(ip->field(0)->text(), QString(""));  // empty at start, not 0.0.0.0
    dialog.control(18).setAddress({192, 168, 0, 1});
    view->render();
    EXPECT_EQ(ip->field(0)->text(), QString("192"));
    ip->field(3)->setFocus();
    ip->field(3)->selectAll();
    QTest::keyClicks(ip->field(3), "77");
    EXPECT_EQ(dialog.control(18).octets, (std::array<uint8_t, 4>{192, 168, 0, 77}));
    EXPECT_EQ(w<QLabel>(17)->text(), QString("77"));
    // A blank field leaves the control without an address; the other fields stay as typed.
    ip->field(1)->selectAll();
    QTest::keyClick(ip->field(1), Qt::Key_Backspace);
    EXPECT_FALSE(dialog.control(18).hasAddress);
    EXPECT_EQ(ip->field(0)->text(), QString("192"));
}

TEST_F(HostTest, TypedCharactersGoThroughTheModelsFilter) {
    dialog.refuse = 'x';
    auto* edit = w<QLineEdit>(12);
    edit->setFocus();
    QTest::keyClicks(edit, "axb");
    EXPECT_EQ(dialog.control(12).text, "ab");
    auto* ip = w<IpAddressEdit>(18);
    QTest::keyClicks(ip->field(0), "1x2");
    EXPECT_EQ(ip->field(0)->text(), QString("12"));
}

TEST_F(HostTest, CloseBoxAsksTheModel) {
    dialog.allowClose = false;
    view->close();
    EXPECT_FALSE(dialog.ended());
    EXPECT_TRUE(view->isVisible());
    dialog.allowClose = true;
    view->close();
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), ui::kIdCancel);
    EXPECT_FALSE(view->isVisible());
}

TEST_F(HostTest, SystemMenuItemsReachTheModel) {
    auto menu = view->systemMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QString("&About Kinds..."));
    menu->actions()[0]->trigger();
    EXPECT_EQ(dialog.systemCommand, 16);
    EXPECT_EQ(w<QLabel>(17)->text(), QString("about"));
}

TEST_F(HostTest, EnterPressesTheDefaultButton) {
    QTest::keyClick(view.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), ui::kIdOk);
}

TEST_F(HostTest, TimersTickIntoTheModelUntilKilled) {
    shell.setTimer(dialog, 7, 20);
    QTest::qWait(130);
    EXPECT_GE(dialog.ticks, 3);
    EXPECT_EQ(w<QLabel>(17)->text(),
              QString::fromStdString("tick " + std::to_string(dialog.ticks)));
    shell.killTimer(dialog, 7);
    const int seen = dialog.ticks;
    QTest::qWait(60);
    EXPECT_EQ(dialog.ticks, seen);
}

TEST_F(HostTest, WatchedSocketCallsTheModelWhenReadable) {
    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_DGRAM, 0, fds), 0);
    shell.watchSocket(dialog, static_cast<SocketHandle>(fds[0]));
    ASSERT_EQ(::write(fds[1], "hi", 2), 2);
    QTest::qWait(50);
    EXPECT_EQ(dialog.socketReads, 1);
    shell.unwatchSocket(dialog, static_cast<SocketHandle>(fds[0]));
    ASSERT_EQ(::write(fds[1], "hi", 2), 2);
    QTest::qWait(50);
    EXPECT_EQ(dialog.socketReads, 1);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(HostTest, WaitCursorIsSetAndRestored) {
    shell.setWaitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    shell.setWaitCursor(true);
    shell.setWaitCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(HostTest, AModalWindowWaitsWithTheOrdinaryCursor) {
    shell.setWaitCursor(true);
    KindsDialog modal(shell);
    bool busyWhileWaiting = true;
    test::ModalDriver d([&](QWidget* w) {
        busyWhileWaiting = QApplication::overrideCursor() != nullptr &&
                           QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        QTest::mouseClick(qobject_cast<DialogView*>(w)->widget(ui::kIdOk), Qt::LeftButton);
    });
    shell.runModal(modal);
    EXPECT_TRUE(d.acted());
    EXPECT_FALSE(busyWhileWaiting);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);  // the caller's busy cursor is back
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    shell.setWaitCursor(false);
}

TEST_F(HostTest, MessageBoxShowsCaptionTextIconAndButtons) {
    std::vector<test::ShownBox> seen;
    auto answer = [&](QMessageBox::StandardButton b) {
        return [&, b](QWidget* w) {
            seen.push_back(test::readBox(w));
            qobject_cast<QMessageBox*>(w)->button(b)->click();
        };
    };
    {
        test::ModalDriver d(answer(QMessageBox::Ok));
        EXPECT_EQ(shell.message("No Response in printer", "Error", ui::MessageIcon::Error),
                  ui::kIdOk);
    }
    {
        test::ModalDriver d(answer(QMessageBox::No));
        EXPECT_EQ(shell.question("Download font to printer ?", "Setrion"), ui::kIdNo);
    }
    {
        test::ModalDriver d(answer(QMessageBox::Yes));
        EXPECT_EQ(shell.question("Download font to printer ?"), ui::kIdYes);
    }
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].caption, QString("Error"));
    EXPECT_EQ(seen[0].text, QString("No Response in printer"));
    EXPECT_EQ(seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen[1].icon, QMessageBox::Question);
    EXPECT_EQ(seen[2].caption, QString("Setrion"));  // the default caption
}

TEST_F(HostTest, ChildDialogRunsModallyFromAHandler) {
    int childResult = 0;
    KindsDialog child(shell);
    dialog.onGo = [&] { childResult = shell.runModal(child); };
    dialog.control(11).enabled = true;
    view->render();
    test::ModalDriver d(
        [&](QWidget* w) {
            auto* cv = qobject_cast<DialogView*>(w);
            ASSERT_NE(cv, nullptr);
            EXPECT_EQ(&cv->model(), &child);
            EXPECT_EQ(cv->parentWidget(), view.get());
            QTest::mouseClick(cv->widget(ui::kIdOk), Qt::LeftButton);
        },
        view.get());
    QTest::mouseClick(view->widget(11), Qt::LeftButton);
    EXPECT_TRUE(d.acted());
    EXPECT_EQ(childResult, ui::kIdOk);
    EXPECT_EQ(shell.viewOf(child), nullptr);
    EXPECT_EQ(w<QLabel>(17)->text(), QString("Clicked"));
}

TEST_F(HostTest, RepaintShowsTheModelWhileAHandlerRuns) {
    QString during;
    dialog.onGo = [&] {
        dialog.control(17).text = "Working";
        shell.repaint(dialog);
        during = w<QLabel>(17)->text();
        dialog.control(17).text = "Done";
    };
    dialog.control(11).enabled = true;
    view->render();
    QTest::mouseClick(view->widget(11), Qt::LeftButton);
    EXPECT_EQ(during, QString("Working"));
    EXPECT_EQ(w<QLabel>(17)->text(), QString("Done"));
}

// Counts its paints.
class PaintCounter : public QWidget {
  public:
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST(PaintingClockTest, SleepPaintsButRunsNoTimers) {
    test::app();
    PaintCounter w;
    w.resize(50, 50);
    w.show();
    QTest::qWait(20);
    const int before = w.paints;
    bool fired = false;
    QTimer::singleShot(1, [&] { fired = true; });
    w.update();
    PaintingClock clock;
    const uint64_t start = clock.nowMs();
    clock.sleepMs(40);
    const uint64_t slept = clock.nowMs() - start;
    EXPECT_GE(slept, 40u);
    EXPECT_LT(slept, 200u);
    EXPECT_GT(w.paints, before);
    EXPECT_FALSE(fired);
    QTest::qWait(20);
    EXPECT_TRUE(fired);
}

}  // namespace
}  // namespace setrion::gui
