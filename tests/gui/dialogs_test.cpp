// Every dialog on the Qt host: its texts fit its controls (the suite runs that test again on
// a 144-dpi screen, scale 1.5), Tab and Shift+Tab follow its reading order, and the keyboard,
// save and open-failure rules, all with real key and mouse events.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "gui/qt/demo_simulator.h"
#include "gui/qt/dialog_view.h"
#include "gui/qt/ip_address_edit.h"
#include "gui/main_session.h"
#include "gui/qt/qt_shell.h"
#include "gui/qt/text_fit.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "tests/support/temp_dir.h"
#include "tests/link/fake_port_opener.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/about_box.h"
#include "ui/main/information_window.h"
#include "ui/main/status_window.h"
#include "ui/wifi/module_password_dlg.h"
#include "ui/wifi/wifi_ini_file.h"
#include "ui/wifi/wifi_settings_dlg.h"

namespace setrion::gui {
namespace {

using namespace ui;
using Make = std::function<std::unique_ptr<Dialog>(Shell&, PortOpener&)>;

std::unique_ptr<Dialog> wifiDialog(Shell& s, PortOpener& o, WifiIniAccess* ini = nullptr) {
    WifiDialogServices w;
    w.ports = &o;
    w.env = setrion::test::noEnv;
    w.ini = ini;
    return std::make_unique<CWiFiSettings>(s, std::move(w));
}

struct DialogCase {
    const char* name;
    Make make;  // null: the main session's dialog
    std::vector<int> tabOrder;
};

template <class D, class... Args>
Make dlg(Args... args) {
    return [=](Shell& s, PortOpener&) { return std::make_unique<D>(s, args...); };
}

std::vector<DialogCase> dialogs() {
    // The font selection lists a folder of this test's own: what "/" holds depends on the
    // machine and on other programs' temporary files (a Wine prefix's fonts, say), whose
    // names the text-fit check must not depend on.
    static const setrion::test::TempDir fonts("dialogs-fonts");
    static const bool copied = [] {
        std::error_code ec;
        std::filesystem::copy_file("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
                                   fonts.path() / "DejaVuSans.ttf", ec);
        return !ec;
    }();
    (void)copied;
    const std::function<std::string()> root = [] { return fonts.folder(); };
    std::vector<DialogCase> all{
        {"main", nullptr, {1000, 1001, 1003, 1002, 1004, 1137, 1005, 1011, 1006,
                           1007, 1008, 1145, 1162, 1012, 1013, 1014, 1017, 1015,
                           1016, 1018, 1144, 1143, 1146, 1019, 1027, 1028, 1}},
        // Port group; Wi-Fi group's columns and buttons; WEP keys; WPA group.
        {"wifi",
         [](Shell& s, PortOpener& o) { return wifiDialog(s, o); },
         {1026, 1027, 1113, 1112, 1114, 1138, 1178, 1037, 1038, 1176, 1177, 1145, 1031, 1028, 1029,
          1030, 1036, 1164, 1149, 1039, 1040, 1041, 1103, 1101, 1195, 1193, 1194, 1034, 1035, 1148,
          1,    1104, 1048, 1105, 1050, 1106, 1052, 1107, 1054, 1108, 1043, 1046, 1175}},
        {"enterprise",
         dlg<EnterpriseDlg>(),
         {1200, 1201, 1202, 1203, 1204, 1205, 1206, 1207, 1208, 1209, 1, 2}},
        {"password", dlg<ModulePasswordDlg>(std::string("02:00:00:00:00:02")), {7322, 1, 2}},
        {"font selection", dlg<CFontSelectDlg>(root), {1165, 1166, 1167, 1, 2}},
        {"font id", dlg<CFontIdDlg>(), {1168, 1171, 1172, 1}},
        {"about", dlg<AboutBox>(), {1}}};
    for (int k : {0, 1, 2, 3, 4})
        all.push_back({"information", dlg<InformationWindow>(InformationWindow::Kind(k)), {1}});
    for (int k : {0, 1, 100, 101, 102, 103, 104})
        all.push_back({"status", dlg<StatusWindow>(StatusWindow::Kind(k)), {1}});
    return all;
}

int focusedControl() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
        if (const QVariant id = w->property("controlId"); id.isValid()) return id.toInt();
    return 0;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

// Whether another program could open the device now.
bool deviceFree(const QString& path) {
    return SerialLink().open(path.toStdString(), {}) == 0;
}

class DialogsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::app(); }
    Dialog& show(const DialogCase& c) {
        view.reset();  // a window opened while another lives becomes its child
        own = c.make ? c.make(shell, opener) : nullptr;
        Dialog& d = own ? *own : session.dialog();
        view = shell.open(d);
        QApplication::setActiveWindow(view.get());
        return d;
    }
    void click(int id) { QTest::mouseClick(view->widget(id), Qt::LeftButton); }
    // Clicks `id`; the message box it shows as "caption: text|detail", answered OK.
    std::string boxAfterClick(int id) {
        QString shown;
        test::ModalDriver d(
            [&](QWidget* w) {
                auto* mb = qobject_cast<QMessageBox*>(w);
                shown = mb->windowTitle() + ": " + mb->text() + "|" + mb->informativeText();
                mb->button(QMessageBox::Ok)->click();
            },
            view.get());
        click(id);
        return shown.toStdString();
    }
    void TearDown() override { view.reset(); }

    QtShell shell;
    setrion::test::FakePortOpener opener;
    MainSession session{shell, {}, std::make_unique<NullSpooler>()};
    std::unique_ptr<Dialog> own;
    std::unique_ptr<DialogView> view;
};

TEST_F(DialogsTest, EveryTextFitsItsControl) {
    for (const DialogCase& c : dialogs()) {
        show(c);
        for (const CutText& cut : cutTexts(*view))
            ADD_FAILURE() << c.name << ": control " << cut.controlId << " cuts \""
                          << cut.text.toStdString() << "\": " << cut.needed.width() << "x"
                          << cut.needed.height() << " px in " << cut.available.width() << "x"
                          << cut.available.height();
        view.reset();
    }
}

TEST_F(DialogsTest, TabAndShiftTabFollowEachDialogsReadingOrder) {
    for (const DialogCase& c : dialogs()) {
        SCOPED_TRACE(c.name);
        Dialog& d = show(c);
        for (const Control* ctl : d.controls())  // every control usable, to show its place
            d.control(ctl->id).enabled = d.control(ctl->id).visible = !ctl->neverShown;
        view->render();
        view->widget(c.tabOrder.front())->setFocus(Qt::TabFocusReason);
        std::vector<int> forward{focusedControl()}, backward;
        for (size_t i = 1; i < c.tabOrder.size(); ++i)
            press(Qt::Key_Tab), forward.push_back(focusedControl());
        for (size_t i = 1; i < c.tabOrder.size(); ++i)
            backward.push_back(focusedControl()), press(Qt::Key_Backtab);
        backward.push_back(focusedControl());
        EXPECT_EQ(forward, c.tabOrder);
        EXPECT_EQ(backward, std::vector<int>(c.tabOrder.rbegin(), c.tabOrder.rend()));
        view.reset();
    }
}

TEST_F(DialogsTest, AddressControlIsOneStopWithItsOctetsReachedByKeys) {
    using namespace wifi_dlg;
    Dialog& d = show(dialogs()[1]);
    for (int id : {kSsid, kIp, kNetMask}) d.control(id).enabled = true;
    view->render();
    auto* ip = qobject_cast<IpAddressEdit*>(view->widget(kIp));
    view->widget(kSsid)->setFocus();
    press(Qt::Key_Tab);
    for (char ch : std::string("192.168.1.20")) QTest::keyClick(QApplication::focusWidget(), ch);
    EXPECT_EQ(d.control(kIp).address(), (std::array<uint8_t, 4>{192, 168, 1, 20}));
    for (int n = 0; n < 3; ++n) press(Qt::Key_Backspace);  // "20", then back into the third field
    EXPECT_EQ(ip->field(2)->text() + "|" + ip->field(3)->text(), QString("|"));
    EXPECT_EQ(QApplication::focusWidget(), ip->field(2));
    press(Qt::Key_Backtab, Qt::ShiftModifier);  // out of the control from any field
    EXPECT_EQ(focusedControl(), kSsid);
}

TEST_F(DialogsTest, KeysWaitForTheClosedLinkAndClosingWindowsCloseItFirst) {
    DemoSimulator sim;
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--module", "command"}), QString());
    const PortMap com1{{"COM1", sim.linkPath().toStdString()}};
    MainSession open(shell, com1, std::make_unique<NullSpooler>());
    view = shell.open(open.dialog());
    click(main_dlg::kOpenPort);
    view->widget(main_dlg::kPin)->setFocus();
    press(Qt::Key_Escape);
    press(Qt::Key_Return);  // the default button, Exit, is disabled
    EXPECT_FALSE(open.dialog().ended() || deviceFree(sim.linkPath()));
    view->close();  // the close box: the link is closed first
    EXPECT_TRUE(open.dialog().ended() && deviceFree(sim.linkPath()));

    SerialLink serial(shell.clock());
    StandardPortOpener ports(serial, opener.usbLink, nullptr);
    WifiDialogServices services;
    services.ports = &ports;
    services.portMap = com1;
    CWiFiSettings wifi(shell, std::move(services));
    view.reset();
    view = shell.open(wifi);
    click(wifi_dlg::kOpenPort);
    view->widget(wifi_dlg::kPort)->setFocus();
    press(Qt::Key_Escape);  // Exit is disabled; Escape takes the close box's path
    EXPECT_EQ(wifi.result(), kIdCancel);
    EXPECT_FALSE(wifi.portOpen() || !deviceFree(sim.linkPath()));

    show(dialogs()[0]);
    press(Qt::Key_Escape);  // the link closed: Escape is Exit
    EXPECT_EQ(session.dialog().result(), main_dlg::kExit);
}

TEST_F(DialogsTest, SaveWithoutPortAndUnmappedComFailureSayWhyAtOnce) {
    QTemporaryDir dir;
    std::ofstream(dir.filePath("w.ini").toStdString()) << "[WiFiInfo]\r\nVersion=01\r\nSSID=X\r\n";
    WifiIniFileAccess ini(dir.filePath("w.ini").toStdString());
    own = wifiDialog(shell, opener, &ini);
    view = shell.open(*own);
    EXPECT_EQ(boxAfterClick(wifi_dlg::kSave),  // enabled by the INI file
              "ERROR: The port is not open.\nOpen the port with \"Open Port\" first, then save "
              "the Wi-Fi information.|");
    EXPECT_EQ(qobject_cast<QProgressBar*>(view->widget(wifi_dlg::kProgress))->value(), 0);

    if (QFile::exists("/dev/ttyS8") || getenv("SETRION_COM9") != nullptr) return;  // COM9 is there
    show(dialogs()[0]);
    auto* port = qobject_cast<QComboBox*>(view->widget(main_dlg::kPort));
    port->setCurrentIndex(8);
    emit port->activated(8);
    EXPECT_EQ(boxAfterClick(main_dlg::kOpenPort),
              "Error: Serial Port Open Failed|no such device: /dev/ttyS8\n\nCOM9 stands for "
              "/dev/ttyS8 here. If the printer is on another device, pick that device in the Port "
              "list, or start Setrion with --map COM9=PATH (or set SETRION_COM9=PATH).");
}

}  // namespace
}  // namespace setrion::gui
