#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "gui/qt/demo_simulator.h"
#include "gui/qt/dialog_view.h"
#include "gui/qt/icon_button.h"
#include "gui/main_session.h"
#include "gui/qt/qt_shell.h"
#include "gui/qt/xp_group_box.h"
#include "link/port_discovery.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "ui/main/main_dialog_ids.h"
#include "ui/main/status_window.h"

namespace setrion::gui {
namespace {

using namespace ui::main_dlg;

struct Expected {
    int id;
    const char* text;
    int icon;
};

// The visible controls of the main dialog with their labels, as the dialog's table has them.
const Expected kIconButtons[] = {
    {1005, "Open Port", 130},
    {1011, "Close Port", 135},
    {1006, "Save Serial Port Configuration", 133},
    {1007, "Get Emulation", 138},
    {1012, "Get Bluetooth Information", 131},
    {1017, "Save Bluetooth PIN Code", 133},
    {1018, "Save Discoverable Mode", 133},
    {1162, "Save Density", 152},
    {1143, "Save Code Page", 133},
    {1146, "Print Code Page", 134},
    {1019, "Start Wi-Fi Settings", 139},
    {1027, "Open", 155},
    {1028, "Download", 156},
    {1, "E&xit", 132},
};
const Expected kGroups[] = {
    {1020, "Printer Connnection Settings", 0}, {1021, "Emulation Settings", 0},
    {1022, "Bluetooth Settings", 0},           {1023, "PIN Code Information", 0},
    {1024, "Discoverable Mode Information", 0}, {1161, "Density Settings", 0},
    {1142, "Code Page Setting", 0},            {1025, "Wi-Fi Settings", 0},
    {1026, "Font Download", 0},
};
const char* const kLabels[] = {"Port : ",  "BaudRate : ", "Data Bits : ", "Parity : ",
                               "Stop Bits : ", "Flow Control : ", "BT Address : ",
                               "PIN Code : ", "Density : ", "Code Page"};
const int kHidden[] = {1009, 1010, 1174, 1139, 1134, 1141, 1135, 1140, 1158, 1159, 1160};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }

    void openWindow(PortMap map = {}) {
        session = std::make_unique<MainSession>(shell, std::move(map), std::make_unique<NullSpooler>());
        view = shell.open(session->dialog());
        QApplication::setActiveWindow(view.get());
    }
    void TearDown() override {
        view.reset();
        session.reset();
    }
    template <class W>
    W* w(int id) {
        return qobject_cast<W*>(view->widget(id));
    }
    bool enabled(int id) { return view->widget(id)->isEnabled(); }
    void click(int id) {
        ASSERT_TRUE(view->widget(id)->isVisible()) << id;
        ASSERT_TRUE(enabled(id)) << id;
        QTest::mouseClick(view->widget(id), Qt::LeftButton);
    }
    QLabel* labelWithText(const QString& text) {
        for (QLabel* l : view->findChildren<QLabel*>())
            if (l->text() == text) return l;
        return nullptr;
    }
    void shoot(const QString& name) { test::saveScreenshot(view->grab().toImage(), name); }

    QtShell shell;
    std::unique_ptr<MainSession> session;
    std::unique_ptr<DialogView> view;
};

TEST_F(MainWindowTest, ShowsEveryVisibleControlWithItsLabel) {
    openWindow();
    EXPECT_EQ(view->windowTitle(), QString("Orvane Labrix Printer Utiltiy 1.41"));
    const QSize base = view->baseUnits();
    EXPECT_EQ(view->size(), QSize((325 * base.width() + 2) / 4, (366 * base.height() + 4) / 8));
    for (const Expected& e : kIconButtons) {
        auto* b = w<IconButton>(e.id);
        ASSERT_NE(b, nullptr) << e.id;
        EXPECT_TRUE(b->isVisible()) << e.id;
        EXPECT_EQ(b->text(), QString(e.text)) << e.id;
        EXPECT_EQ(b->iconNumber(), e.icon) << e.id;
        EXPECT_FALSE(b->isFlat()) << e.id;
    }
    EXPECT_TRUE(w<IconButton>(1)->isDefaultButton());
    for (const Expected& e : kGroups) {
        auto* g = w<CXPGroupBox>(e.id);
        ASSERT_NE(g, nullptr) << e.id;
        EXPECT_TRUE(g->isVisible()) << e.id;
        EXPECT_EQ(g->caption(), " " + QString(e.text) + " ") << e.id;
    }
    EXPECT_EQ(w<CXPGroupBox>(1023)->captionTextColour(), QColor(16, 140, 231));
    EXPECT_EQ(w<CXPGroupBox>(1024)->captionTextColour(), QColor(16, 140, 231));
    EXPECT_NE(w<CXPGroupBox>(1020)->captionTextColour(), QColor(16, 140, 231));
    for (const char* text : kLabels) {
        QLabel* l = labelWithText(text);
        ASSERT_NE(l, nullptr) << text;
        EXPECT_TRUE(l->isVisible()) << text;
    }
    EXPECT_EQ(w<QRadioButton>(1015)->text(), QString("ON"));
    EXPECT_EQ(w<QRadioButton>(1016)->text(), QString("OFF"));
    for (int id : {1008, 1013, 1014}) EXPECT_TRUE(w<QLineEdit>(id)->isVisible()) << id;
    for (int id : kHidden) EXPECT_FALSE(view->widget(id)->isVisible()) << id;

    // Lists as filled, with their first selections.
    auto items = [&](int id) {
        QStringList out;
        for (int i = 0; i < w<QComboBox>(id)->count(); ++i) out << w<QComboBox>(id)->itemText(i);
        return out;
    };
    EXPECT_EQ(items(1000), QStringList({"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                        "COM8", "COM9", "USB"}));
    EXPECT_EQ(items(1001), QStringList({"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"}));
    EXPECT_EQ(w<QComboBox>(1001)->currentText(), QString("19200"));
    EXPECT_EQ(items(1003), QStringList({"7", "8"}));
    EXPECT_EQ(w<QComboBox>(1003)->currentText(), QString("8"));
    EXPECT_EQ(items(1002), QStringList({"NONE", "ODD", "EVEN"}));
    EXPECT_EQ(items(1004), QStringList({"1", "2"}));
    EXPECT_EQ(items(1137), QStringList({"DTR/DSR", "Xon/Xoff"}));

    // Enabled when closed: Port, Open Port, Start Wi-Fi Settings, Exit and the line lists.
    for (int id : {1000, 1005, 1019, 1, 1001, 1003, 1002, 1004, 1137}) EXPECT_TRUE(enabled(id)) << id;
    for (int id : {1011, 1006, 1007, 1145, 1162, 1027, 1028, 1012, 1017, 1018, 1014, 1015, 1016,
                   1144, 1143, 1146})
        EXPECT_FALSE(enabled(id)) << id;

    // Every visible control lies inside the window; no two non-group controls overlap.
    std::vector<QWidget*> shown;
    for (const ui::Control* c : session->dialog().controls()) {
        QWidget* x = view->widget(c->id);
        if (!x->isVisible()) continue;
        EXPECT_TRUE(view->rect().contains(x->geometry())) << c->id;
        if (c->kind != ui::ControlKind::GroupBox) shown.push_back(x);
    }
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                << shown[i]->objectName().toStdString() << " overlaps " << shown[j]->objectName().toStdString();
    shoot("main_dialog_closed");
}

TEST_F(MainWindowTest, ChoosingUsbSwapsIconsAndDisablesLineLists) {
    openWindow();
    auto* port = w<QComboBox>(1000);
    port->setFocus();
    for (int i = 0; i < 9; ++i) QTest::keyClick(port, Qt::Key_Down);
    EXPECT_EQ(port->currentText(), QString("USB"));
    EXPECT_EQ(w<IconButton>(1005)->iconNumber(), 142);
    EXPECT_EQ(w<IconButton>(1011)->iconNumber(), 143);
    for (int id : {1001, 1003, 1002, 1004, 1137}) EXPECT_FALSE(enabled(id)) << id;
    QTest::keyClick(port, Qt::Key_Up);
    EXPECT_EQ(w<IconButton>(1005)->iconNumber(), 130);
    for (int id : {1001, 1003, 1002, 1004, 1137}) EXPECT_TRUE(enabled(id)) << id;
}

TEST_F(MainWindowTest, DataBitsSevenWithParityNoneIsRefused) {
    openWindow();
    std::vector<test::ShownBox> boxes;
    test::ModalDriver d([&](QWidget* mb) {
        boxes.push_back(test::readBox(mb));
        test::saveScreenshot(mb->grab().toImage(), "message_data_bits");
        qobject_cast<QMessageBox*>(mb)->button(QMessageBox::Ok)->click();
    }, view.get());
    auto* bits = w<QComboBox>(1003);
    bits->setFocus();
    QTest::keyClick(bits, Qt::Key_Up);  // "7"
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString("Data Bits=7, Parity=NONE is not supported"));
    EXPECT_EQ(boxes[0].caption, QString("ERROR"));
    EXPECT_EQ(bits->currentText(), QString("8"));
}

// A pty whose other end never answers: a printer that is switched off.
class DeadPort {
public:
    DeadPort() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0)
            m_path = ::ptsname(m_master);
    }
    ~DeadPort() {
        if (m_master >= 0) ::close(m_master);
    }
    std::string path() const { return m_path; }

private:
    int m_master = -1;
    std::string m_path;
};

TEST_F(MainWindowTest, FailingProbeShowsNoResponseWithCaptionError) {
    DeadPort dead;
    ASSERT_FALSE(dead.path().empty());
    openWindow({{"COM1", dead.path()}});
    std::vector<test::ShownBox> boxes;
    test::ModalDriver d([&](QWidget* mb) {
        boxes.push_back(test::readBox(mb));
        test::saveScreenshot(mb->grab().toImage(), "message_no_response");
        qobject_cast<QMessageBox*>(mb)->button(QMessageBox::Ok)->click();
    }, view.get(), 15000);
    click(kOpenPort);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QString("No Response in printer"));
    EXPECT_EQ(boxes[0].caption, QString("Error"));
    EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    // Still closed.
    EXPECT_TRUE(enabled(kOpenPort));
    EXPECT_TRUE(enabled(kPort));
    EXPECT_FALSE(enabled(kClosePort));
}

TEST_F(MainWindowTest, AboutBoxFromTheSystemMenu) {
    openWindow();
    auto menu = view->systemMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QString("&About Setrion..."));
    QString title;
    QString version;
    test::ModalDriver d([&](QWidget* box) {
        auto* about = qobject_cast<DialogView*>(box);
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        if (auto* l = qobject_cast<QLabel*>(about->widget(1100))) version = l->text();
        test::saveScreenshot(about->grab().toImage(), "about_box");
        QTest::mouseClick(about->widget(ui::kIdOk), Qt::LeftButton);
    }, view.get());
    menu->actions()[0]->trigger();
    EXPECT_TRUE(d.acted());
    EXPECT_EQ(title, QString("About Setrion"));
    EXPECT_EQ(version, QString("Setrion Version 1.40"));
}

// The main dialog against the simulated ESC/POS printer.
class SimulatorSessionTest : public MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--emulation", "escpos"}), QString());
        openWindow({{"COM1", sim.linkPath().toStdString()}});
    }
    nlohmann::json simState() {
        std::ifstream in(sim.statePath().toStdString());
        nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
        return j.is_discarded() ? nlohmann::json::object() : j;
    }
    // Clicks `id`, expects an information window with this title and body, presses its OK.
    void clickExpectingInformation(int id, const QString& title, const QString& body, const QString& shot) {
        QString seenTitle;
        QString seenBody;
        test::ModalDriver d([&](QWidget* win) {
            auto* info = qobject_cast<DialogView*>(win);
            ASSERT_NE(info, nullptr);
            seenTitle = info->windowTitle();
            if (auto* l = qobject_cast<QLabel*>(info->widget(1136))) seenBody = l->text();
            test::saveScreenshot(info->grab().toImage(), shot);
            QTest::mouseClick(info->widget(ui::kIdOk), Qt::LeftButton);
        }, view.get());
        click(id);
        EXPECT_TRUE(d.acted()) << "no information window after " << id;
        EXPECT_EQ(seenTitle, title);
        EXPECT_EQ(seenBody, body);
    }
    DemoSimulator sim;
};

TEST_F(SimulatorSessionTest, OpenPortMovesTheDialogToItsOpenState) {
    click(kOpenPort);
    for (int id : {1000, 1005, 1019, 1}) EXPECT_FALSE(enabled(id)) << id;
    for (int id : {1011, 1007, 1012, 1017, 1018, 1014, 1015, 1016, 1001, 1003, 1002, 1004, 1145,
                   1162, 1027, 1006, 1144, 1143, 1146})
        EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(w<QComboBox>(1144)->currentText(), QString("CP_437"));
    EXPECT_EQ(w<QComboBox>(1145)->currentText(), QString("DENSITY [+1]"));
    shoot("main_dialog_open");
    click(kClosePort);
    EXPECT_TRUE(enabled(kOpenPort));
    EXPECT_FALSE(enabled(kClosePort));
}

TEST_F(SimulatorSessionTest, CompleteSessionInTheWindow) {
    click(kOpenPort);
    click(kGetEmulation);
    EXPECT_FALSE(w<QLineEdit>(kEmulationText)->text().isEmpty());
    click(kGetBluetooth);

    auto* pin = w<QLineEdit>(kPin);
    pin->setFocus();
    pin->selectAll();
    QTest::keyClick(pin, Qt::Key_Backspace);
    EXPECT_FALSE(enabled(kSavePin));
    QTest::keyClicks(pin, "12345678901");  // the eleventh character is refused
    EXPECT_EQ(pin->text(), QString("1234567890"));
    EXPECT_TRUE(enabled(kSavePin));
    click(kSavePin);
    EXPECT_FALSE(enabled(kSavePin));

    clickExpectingInformation(kSaveCodePage, "Code Page Setting Information",
                              "Code Page changed to CP_437.", "information_code_page");
    click(kPrintCodePage);
    clickExpectingInformation(kSaveDensity, "Printer Density Setting Information",
                              "Printer Density changed to DENSITY [+1].", "information_density");
    click(kClosePort);
    EXPECT_TRUE(w<QLineEdit>(kEmulationText)->text().isEmpty());
    click(kExit);
    EXPECT_TRUE(session->dialog().ended());
    EXPECT_FALSE(view->isVisible());

    QTest::qWait(100);  // the simulator writes its state after each change
    const nlohmann::json state = simState();
    ASSERT_TRUE(state.contains("settings")) << state.dump();
    EXPECT_EQ(state["settings"]["pin"], "1234567890");
    EXPECT_EQ(state["settings"]["code_page_name"], "CP_437");
    EXPECT_EQ(state["settings"]["density_name"], "DENSITY [+1]");
    EXPECT_FALSE(state["settings"]["code_page_samples"].empty());
}

TEST(MessageWindowsTest, StatusWindowScreenshot) {
    test::app();
    QtShell shell;
    ui::StatusWindow status(shell, ui::StatusWindow::Kind::ReadCompleted);
    QString title;
    QString body;
    test::ModalDriver d([&](QWidget* win) {
        auto* v = qobject_cast<DialogView*>(win);
        ASSERT_NE(v, nullptr);
        title = v->windowTitle();
        body = qobject_cast<QLabel*>(v->widget(1165))->text();
        EXPECT_TRUE(v->widget(ui::kIdOk)->isVisible());
        test::saveScreenshot(v->grab().toImage(), "status_window");
        QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
    });
    EXPECT_EQ(shell.runModal(status), ui::kIdOk);
    EXPECT_EQ(title, QString("Read Wi-Fi information"));
    EXPECT_EQ(body, QString("Read Completed !!!"));
    EXPECT_FALSE(shell.waitCursor());
}

// A USB-serial cable plugged in while the program runs: the Port list shows it after "USB"
// once dropped down, it takes the line settings, and Open Port reaches the printer behind it.
TEST_F(MainWindowTest, DiscoveredDeviceFollowsUsbAndOpensLikeAComPort) {
    DemoSimulator sim;
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--emulation", "escpos"}), QString());
    FixedDeviceSource devices;
    ScopedDeviceSource installed(devices);
    openWindow();
    auto* port = w<QComboBox>(1000);
    EXPECT_EQ(port->count(), 10);

    TtyDeviceInfo cable;
    cable.sysName = "ttyUSB0";
    cable.devNode = sim.linkPath().toStdString();
    cable.vendor = "FTDI";
    cable.model = "FT232R USB UART";
    cable.serialNumber = "A6008isP";
    devices.ttys().push_back(cable);
    port->showPopup();
    port->hidePopup();
    ASSERT_EQ(port->count(), 11);
    EXPECT_EQ(port->itemText(9), QString("USB"));
    EXPECT_EQ(port->itemText(10), QString::fromUtf8("ttyUSB0 \xE2\x80\x94 FTDI FT232R USB UART (A6008isP)"));

    port->setFocus();
    for (int i = 0; i < 9; ++i) QTest::keyClick(port, Qt::Key_Down);  // "USB"
    for (int id : {1001, 1003, 1002, 1004, 1137}) EXPECT_FALSE(enabled(id)) << id;
    QTest::keyClick(port, Qt::Key_Down);
    EXPECT_EQ(port->currentIndex(), 10);
    for (int id : {1001, 1003, 1002, 1004, 1137}) EXPECT_TRUE(enabled(id)) << id;
    EXPECT_EQ(w<IconButton>(1005)->iconNumber(), 130);
    port->showPopup();  // dropped down again: the selection stays on the cable
    port->hidePopup();
    EXPECT_EQ(port->currentIndex(), 10);
    shoot("main_dialog_discovered_port");

    click(kOpenPort);
    EXPECT_TRUE(enabled(kClosePort));
    EXPECT_FALSE(enabled(kOpenPort));
    click(kClosePort);
}

}  // namespace
}  // namespace setrion::gui
