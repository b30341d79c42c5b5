// The dialogs driven from the keyboard with real key events: Tab and Shift+Tab in reading
// order, the address control's keys, Enter and Escape beside disabled buttons, and the main
// window's close box with the printer link open.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "gui/demo_simulator.h"
#include "gui/dialog_view.h"
#include "gui/ip_address_edit.h"
#include "gui/main_session.h"
#include "gui/qt_shell.h"
#include "link/serial_link.h"
#include "tests/gui/qt_app.h"
#include "tests/link/fake_port_opener.h"
#include "tests/support/scripted_link.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/about_box.h"
#include "ui/main/information_window.h"
#include "ui/main/main_dialog_ids.h"
#include "ui/main/status_window.h"
#include "ui/wifi/enterprise_dlg.h"
#include "ui/wifi/module_password_dlg.h"
#include "ui/wifi/wifi_dialog_ids.h"
#include "ui/wifi/wifi_settings_dlg.h"

namespace setrion::gui {
namespace {

// The control that holds the focused widget, 0 for none.
int focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
        if (const QVariant id = w->property("controlId"); id.isValid()) return id.toInt();
    return 0;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

class DialogKeyboardTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::app(); }
    void show(ui::Dialog& dialog) {
        view = shell.open(dialog);
        QApplication::setActiveWindow(view.get());
    }
    void TearDown() override { view.reset(); }

    QtShell shell;
    setrion::test::FakePortOpener opener;
    std::unique_ptr<DialogView> view;
};

struct TabCase {
    const char* name;
    std::function<std::unique_ptr<ui::Dialog>(ui::Shell&, PortOpener&)> make;
    std::vector<int> order;
};

TEST_F(DialogKeyboardTest, TabAndShiftTabFollowEachDialogsReadingOrder) {
    using namespace ui;
    const std::vector<TabCase> cases{
        {"wifi",
         [](Shell& s, PortOpener& o) {
             WifiDialogServices w;
             w.ports = &o;
             w.env = setrion::test::noEnv;
             return std::make_unique<CWiFiSettings>(s, std::move(w));
         },
         {1026, 1027, 1113, 1112, 1114, 1138, 1178, 1037, 1038, 1176, 1177,  // port
          1145, 1031, 1028, 1029, 1030, 1036, 1164, 1149,                    // left column
          1039, 1040, 1041, 1103, 1101, 1195, 1193, 1194,                    // middle column
          1034, 1035, 1148, 1,                                               // buttons
          1104, 1048, 1105, 1050, 1106, 1052, 1107, 1054,                    // WEP keys
          1108, 1043, 1046, 1175}},                                          // WPA
        {"main",
         [](Shell&, PortOpener&) -> std::unique_ptr<Dialog> { return nullptr; },
         {1000, 1001, 1003, 1002, 1004, 1137, 1005, 1011, 1006, 1007, 1008, 1145, 1162, 1012,
          1013, 1014, 1017, 1015, 1016, 1018, 1144, 1143, 1146, 1019, 1027, 1028, 1}},
        {"enterprise",
         [](Shell& s, PortOpener&) { return std::make_unique<EnterpriseDlg>(s); },
         {1200, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, 1209, 1, 2}},
        {"module password",
         [](Shell& s, PortOpener&) {
             return std::make_unique<ModulePasswordDlg>(s, "02:00:00:00:00:02");
         },
         {7322, 1, 2}},
        {"font selection",
         [](Shell& s, PortOpener&) {
             return std::make_unique<CFontSelectDlg>(s, [] { return std::string("/"); });
         },
         {1165, 1166, 1167, 1, 2}},
        {"font id",
         [](Shell& s, PortOpener&) { return std::make_unique<CFontIdDlg>(s); },
         {1168, 1171, 1172, 1}},
        {"about", [](Shell& s, PortOpener&) { return std::make_unique<AboutBox>(s); }, {1}},
        {"information",
         [](Shell& s, PortOpener&) {
             return std::make_unique<InformationWindow>(s, InformationWindow::Kind::FontDownload);
         },
         {1}},
        {"status",
         [](Shell& s, PortOpener&) {
             return std::make_unique<StatusWindow>(s, StatusWindow::Kind::ReadCompleted);
         },
         {1}},
    };
    MainSession session(shell, {}, std::make_unique<NullSpooler>());
    for (const TabCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<Dialog> own = c.make(shell, opener);
        Dialog* dialog = own ? own.get() : &session.dialog();
        show(*dialog);
        // Every control usable, so that each one's place in the order shows.
        for (const Control* ctl : dialog->controls()) {
            Control& mutableCtl = dialog->control(ctl->id);
            mutableCtl.enabled = !ctl->neverShown;
            mutableCtl.visible = !ctl->neverShown;
        }
        view->render();
        view->widget(c.order.front())->setFocus(Qt::TabFocusReason);
        std::vector<int> forward{focusedControl()};
        for (size_t i = 1; i < c.order.size(); ++i) {
            press(Qt::Key_Tab);
            forward.push_back(focusedControl());
        }
        EXPECT_EQ(forward, c.order);
        std::vector<int> backward{focusedControl()};
        for (size_t i = 1; i < c.order.size(); ++i) {
            press(Qt::Key_Backtab, Qt::ShiftModifier);
            backward.push_back(focusedControl());
        }
        EXPECT_EQ(backward, std::vector<int>(c.order.rbegin(), c.order.rend()));
        view.reset();
    }
}

// Whether another program could open the device now (the program holds it exclusively).
bool deviceFree(const QString& path) {
    SerialLink other;
    const bool opened = other.open(path.toStdString(), SerialSettings{}) == 0;
    other.close();
    return opened;
}

TEST_F(DialogKeyboardTest, MainWindowKeysWaitForTheClosedLinkAndTheCloseBoxClosesIt) {
    using namespace ui::main_dlg;
    DemoSimulator sim;
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--emulation", "escpos"}),
              QString());
    MainSession open(shell, {{"COM1", sim.linkPath().toStdString()}},
                     std::make_unique<NullSpooler>());
    show(open.dialog());
    QTest::mouseClick(view->widget(kOpenPort), Qt::LeftButton);
    ASSERT_TRUE(view->widget(kClosePort)->isEnabled());
    view->widget(kPin)->setFocus();
    press(Qt::Key_Escape);
    press(Qt::Key_Return);  // the default button, Exit, is disabled
    EXPECT_FALSE(open.dialog().ended());
    EXPECT_TRUE(view->isVisible());
    EXPECT_FALSE(deviceFree(sim.linkPath()));
    view->close();  // the close box
    EXPECT_TRUE(open.dialog().ended());
    EXPECT_TRUE(deviceFree(sim.linkPath()));
    view.reset();

    MainSession closed(shell, {}, std::make_unique<NullSpooler>());
    show(closed.dialog());
    view->widget(kPort)->setFocus();
    press(Qt::Key_Escape);
    EXPECT_TRUE(closed.dialog().ended());
    EXPECT_EQ(closed.dialog().result(), kExit);
}

TEST_F(DialogKeyboardTest, EscapeInTheWifiDialogLeavesCommandModeAndClosesTheLink) {
    using namespace ui::wifi_dlg;
    DemoSimulator sim;
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--module", "command"}), QString());
    SerialLink serial(shell.clock());
    setrion::test::ScriptedLink usb;
    StandardPortOpener ports(serial, usb, nullptr);
    ui::WifiDialogServices services;
    services.ports = &ports;
    services.portMap = {{"COM1", sim.linkPath().toStdString()}};
    services.env = setrion::test::noEnv;
    ui::CWiFiSettings dialog(shell, std::move(services));
    show(dialog);
    QTest::mouseClick(view->widget(kOpenPort), Qt::LeftButton);
    ASSERT_TRUE(dialog.portOpen());
    EXPECT_FALSE(view->widget(kExit)->isEnabled());
    view->widget(kPort)->setFocus();
    press(Qt::Key_Escape);
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), ui::kIdCancel);
    EXPECT_FALSE(dialog.portOpen());
    EXPECT_TRUE(deviceFree(sim.linkPath()));
    std::ifstream in(sim.statePath().toStdString());
    EXPECT_EQ(nlohmann::json::parse(in, nullptr, false)["wifi_module"]["command_mode"], false);
}

TEST_F(DialogKeyboardTest, AddressControlIsOneStopWithItsOctetsReachedByKeys) {
    using namespace ui::wifi_dlg;
    ui::WifiDialogServices services;
    services.ports = &opener;
    services.env = setrion::test::noEnv;
    ui::CWiFiSettings dialog(shell, std::move(services));
    show(dialog);
    for (int id : {kSsid, kIp, kNetMask}) dialog.control(id).enabled = true;
    view->render();
    auto* ip = qobject_cast<IpAddressEdit*>(view->widget(kIp));
    view->widget(kSsid)->setFocus();
    press(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), ip->field(0));
    for (char ch : std::string("192.168.1.20"))  // "192" moves on by itself
        QTest::keyClick(QApplication::focusWidget(), ch);
    EXPECT_EQ(dialog.control(kIp).address(), (std::array<uint8_t, 4>{192, 168, 1, 20}));
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    press(Qt::Key_Left);  // from the start of the last field into the third
    EXPECT_EQ(QApplication::focusWidget(), ip->field(2));
    press(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), ip->field(3));
    press(Qt::Key_Backspace);  // at the start: takes the third field's digit
    EXPECT_EQ(QApplication::focusWidget(), ip->field(2));
    EXPECT_EQ(ip->field(2)->text(), QString());
    EXPECT_EQ(dialog.control(kIp).address(), std::nullopt);
    press(Qt::Key_Backtab, Qt::ShiftModifier);  // out of the control, from any field
    EXPECT_EQ(focusedControl(), kSsid);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedControl(), kNetMask);
}

}  // namespace
}  // namespace setrion::gui
