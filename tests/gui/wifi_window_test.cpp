// The Wi-Fi settings dialog on the desktop host: started from the main window, against the
// simulated printer's Wi-Fi module, with screenshots.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "gui/qt/demo_simulator.h"
#include "gui/qt/dialog_view.h"
#include "gui/qt/icon_button.h"
#include "gui/qt/ip_address_edit.h"
#include "gui/main_session.h"
#include "gui/qt/qt_shell.h"
#include "gui/qt/xp_group_box.h"
#include "link/port_discovery.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "ui/main/main_dialog_ids.h"
#include "ui/wifi/enterprise_dlg.h"
#include "ui/wifi/wifi_dialog_ids.h"
#include "ui/wifi/wifi_ini_file.h"

namespace setrion::gui {
namespace {

using namespace ui::wifi_dlg;

class WifiWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }

    void start(const QStringList& simArgs) {
        ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", simArgs), QString());
        session = std::make_unique<MainSession>(shell, PortMap{{"COM1", sim.linkPath().toStdString()}},
                                                std::make_unique<NullSpooler>(), iniAccess.get());
        main = shell.open(session->dialog());
        QApplication::setActiveWindow(main.get());
    }
    void TearDown() override {
        main.reset();
        session.reset();
    }
    nlohmann::json module() {
        std::ifstream in(sim.statePath().toStdString());
        nlohmann::json j = nlohmann::json::parse(in, nullptr, false);
        return j.is_discarded() ? nlohmann::json::object() : j["wifi_module"];
    }
    static void click(DialogView* v, int id) {
        QWidget* w = v->widget(id);
        ASSERT_TRUE(w->isVisible() && w->isEnabled()) << id;
        QTest::mouseClick(w, Qt::LeftButton);
    }
    static QString text(DialogView* v, int id) { return qobject_cast<QLineEdit*>(v->widget(id))->text(); }
    static void type(DialogView* v, int id, const QString& t) {
        auto* e = qobject_cast<QLineEdit*>(v->widget(id));
        e->selectAll();
        QTest::keyClicks(e, t);
    }
    static void choose(DialogView* v, int id, const QString& item) {
        auto* cb = qobject_cast<QComboBox*>(v->widget(id));
        const int i = cb->findText(item);
        ASSERT_GE(i, 0) << item.toStdString();
        cb->setCurrentIndex(i);
        emit cb->activated(i);
    }
    // Presses OK in a result window, noting its title.
    test::ModalSequence::Act okWindow(QStringList& titles) {
        return [&titles](QWidget* w) {
            titles << w->windowTitle();
            if (auto* v = qobject_cast<DialogView*>(w)) QTest::mouseClick(v->widget(ui::kIdOk), Qt::LeftButton);
        };
    }
    void shoot(DialogView* v, const QString& name) { test::saveScreenshot(v->grab().toImage(), name); }

    QtShell shell;
    DemoSimulator sim;
    std::unique_ptr<ui::WifiIniFileAccess> iniAccess;
    std::unique_ptr<MainSession> session;
    std::unique_ptr<DialogView> main;
};

TEST_F(WifiWindowTest, CommandModeModuleReadChangedAndReadAgain) {
    start({"--module", "command", "--generation", "3"});
    QStringList titles;
    bool cursorOffInResult = false;
    bool commandModeWhileOpen = false;
    QString ssidAfter;
    QString wpaKeyAfter;
    std::vector<test::ModalSequence::Act> acts;
    acts.push_back([&](QWidget* w) {
        auto* v = qobject_cast<DialogView*>(w);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->windowTitle(), QString("Wi-Fi Settings Dialog"));
        EXPECT_EQ(qobject_cast<QComboBox*>(v->widget(kPort))->itemText(10), QString("LAN (network search)"));
        EXPECT_EQ(qobject_cast<IconButton*>(v->widget(kGet))->iconNumber(), 139);
        EXPECT_EQ(qobject_cast<CXPGroupBox*>(v->widget(kGroupWep))->caption(), QString(" WEP Key "));
        for (int id : {kGroupOuter, kGroupPort, kGroupWifi, kGroupWpa}) {
            auto* g = qobject_cast<CXPGroupBox*>(v->widget(id));
            EXPECT_TRUE(g->isBold()) << id;
            EXPECT_EQ(g->captionTextColour(), QColor(16, 140, 231)) << id;
            EXPECT_EQ(g->alignment(), id == kGroupOuter ? 0 : 1) << id;
        }
        shoot(v, "wifi_dialog_closed");
        click(v, kOpenPort);
        commandModeWhileOpen = module()["command_mode"] == true;
        click(v, kGet);  // the result window is acted on by the next act
        EXPECT_EQ(text(v, kSsid).isEmpty(), false);
        shoot(v, "wifi_dialog_after_get");
        choose(v, kEncryption, "WPA");
        choose(v, kWpaAuthentication, "WPA2-PSK");
        type(v, kSsid, "Workshop");
        type(v, kWpaKey, "gui-secret-1");
        shoot(v, "wifi_dialog_wpa");
        click(v, kSave);
        click(v, kClosePort);
        click(v, kOpenPort);
        click(v, kGet);
        ssidAfter = text(v, kSsid);
        wpaKeyAfter = text(v, kWpaKey);
        choose(v, kEncryption, "WEP64");
        shoot(v, "wifi_dialog_wep");
        v->close();  // the close box with the port open
    });
    acts.push_back([&](QWidget* w) {
        cursorOffInResult = QApplication::overrideCursor() == nullptr ||
                            QApplication::overrideCursor()->shape() != Qt::WaitCursor;
        okWindow(titles)(w);
    });
    acts.push_back(okWindow(titles));
    acts.push_back(okWindow(titles));
    test::ModalSequence seq(acts, main.get(), 120000);
    QTest::mouseClick(main->widget(ui::main_dlg::kStartWifi), Qt::LeftButton);
    EXPECT_TRUE(seq.finished());
    EXPECT_TRUE(commandModeWhileOpen);
    EXPECT_EQ(titles, QStringList({"Read Wi-Fi information", "Save Wi-Fi information",
                                   "Read Wi-Fi information"}));
    EXPECT_TRUE(cursorOffInResult);
    EXPECT_EQ(ssidAfter, QString("Workshop"));
    EXPECT_EQ(wpaKeyAfter, QString("gui-secret-1"));
    const nlohmann::json m = module();
    EXPECT_EQ(m["settings"]["ssid"], "Workshop");
    EXPECT_EQ(m["settings"]["wpa_mode"], 4);
    EXPECT_EQ(m["command_mode"], false);  // closing the window left command mode
    EXPECT_FALSE(shell.waitCursor());
}

TEST_F(WifiWindowTest, SettingsBlockModuleThroughTheIniFile) {
    QTemporaryDir dir;
    const std::string iniPath = (dir.path() + "/Tessun_WIFI.ini").toStdString();
    std::ofstream(iniPath) << "; site profile\r\n[Other]\r\na=1\r\n[WiFiInfo]\r\nVersion=01\r\n"
                              "SSID=FromIni\r\nTCPPORT=9100\r\n";
    iniAccess = std::make_unique<ui::WifiIniFileAccess>(iniPath);
    start({"--module", "block"});
    QStringList titles;
    QString ssidAtStart, ssidAfter, enterpriseTitle;
    std::vector<test::ModalSequence::Act> acts;
    acts.push_back([&](QWidget* w) {
        auto* v = qobject_cast<DialogView*>(w);
        ASSERT_NE(v, nullptr);
        ssidAtStart = text(v, kSsid);
        click(v, kOpenPort);
        click(v, kGet);
        type(v, kSsid, "BlockNet");
        choose(v, kEncryption, "WPA");
        type(v, kWpaKey, "block-secret");
        click(v, kSave);
        click(v, kClosePort);
        click(v, kOpenPort);
        click(v, kGet);
        ssidAfter = text(v, kSsid);
        choose(v, kEncryption, "802.1x");
        click(v, kEnterprise);
        v->close();
    });
    acts.push_back(okWindow(titles));
    acts.push_back(okWindow(titles));
    acts.push_back(okWindow(titles));
    acts.push_back([&](QWidget* w) {
        auto* e = qobject_cast<DialogView*>(w);
        ASSERT_NE(e, nullptr);
        enterpriseTitle = e->windowTitle();
        choose(e, ui::enterprise_dlg::kMethod, "TLS");
        type(e, ui::enterprise_dlg::kEapId, "technician");
        shoot(e, "enterprise_dialog");
        QTest::mouseClick(e->widget(ui::enterprise_dlg::kAccept), Qt::LeftButton);
    });
    test::ModalSequence seq(acts, main.get(), 120000);
    QTest::mouseClick(main->widget(ui::main_dlg::kStartWifi), Qt::LeftButton);
    EXPECT_TRUE(seq.finished());
    EXPECT_EQ(ssidAtStart, QString("FromIni"));
    EXPECT_EQ(titles, QStringList({"Read Wi-Fi information", "Save Wi-Fi information",
                                   "Read Wi-Fi information"}));
    EXPECT_EQ(ssidAfter, QString("BlockNet"));
    EXPECT_EQ(enterpriseTitle, QString("Enterprise  Settings"));
    const nlohmann::json m = module();
    EXPECT_EQ(m["settings"]["ssid"], "BlockNet");
    EXPECT_EQ(m["settings"]["wpa_key"], "block-secret");
    // The dialog wrote its values back into the file and kept the rest of it.
    std::ifstream in(iniPath);
    const std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(ini.find("; site profile\r\n[Other]\r\na=1\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("SSID=BlockNet"), std::string::npos) << ini;
    EXPECT_NE(ini.find("ENCRYPTION=4"), std::string::npos) << ini;
}

// A USB-serial cable found after start: the Wi-Fi dialog's Port list shows it after
// "LAN (network search)" once dropped down, it takes the line settings, and Open Port puts the
// simulator's module into command mode through it.
TEST_F(WifiWindowTest, DiscoveredDeviceFollowsTheLanEntryAndOpensTheModule) {
    ASSERT_EQ(sim.start(SETRION_BINARY_DIR "/sim/setrion-sim", {"--module", "command", "--generation", "3"}),
              QString());
    FixedDeviceSource devices;
    ScopedDeviceSource installed(devices);
    session = std::make_unique<MainSession>(shell, PortMap{}, std::make_unique<NullSpooler>());
    main = shell.open(session->dialog());
    QApplication::setActiveWindow(main.get());
    TtyDeviceInfo cable;
    cable.sysName = "ttyUSB0";
    cable.devNode = sim.linkPath().toStdString();
    cable.vendor = "FTDI";
    cable.model = "FT232R USB UART";
    cable.serialNumber = "A6008isP";

    int countBefore = 0, countAfter = 0;
    QString lastItem;
    bool usbDisablesBaud = false, cableEnablesLists = false, commandMode = false;
    test::ModalDriver d([&](QWidget* w) {
        auto* v = qobject_cast<DialogView*>(w);
        ASSERT_NE(v, nullptr);
        auto* port = qobject_cast<QComboBox*>(v->widget(kPort));
        countBefore = port->count();
        devices.ttys().push_back(cable);  // plugged in while the dialog is shown
        port->showPopup();
        port->hidePopup();
        countAfter = port->count();
        lastItem = port->itemText(countAfter - 1);
        choose(v, kPort, "USB");
        usbDisablesBaud = !v->widget(kBaud)->isEnabled();
        choose(v, kPort, lastItem);
        cableEnablesLists = true;
        for (int id : {kBaud, kDataBits, kParity, kStopBits, kFlowControl})
            cableEnablesLists = cableEnablesLists && v->widget(id)->isEnabled();
        shoot(v, "wifi_dialog_discovered_port");
        click(v, kOpenPort);
        commandMode = module()["command_mode"] == true;
        click(v, kClosePort);
        v->close();
    }, main.get(), 60000);
    QTest::mouseClick(main->widget(ui::main_dlg::kStartWifi), Qt::LeftButton);
    EXPECT_TRUE(d.acted());
    EXPECT_EQ(countBefore, 11);
    EXPECT_EQ(countAfter, 12);
    EXPECT_EQ(lastItem, QString::fromUtf8("ttyUSB0 \xE2\x80\x94 FTDI FT232R USB UART (A6008isP)"));
    EXPECT_TRUE(usbDisablesBaud);
    EXPECT_TRUE(cableEnablesLists);
    EXPECT_TRUE(commandMode);
}

// Start Wi-Fi Settings -> Exit on an INI file: a complete file stays byte for byte as it was;
// a sparse one changes only in the keys typed (a changed line in place, a new one added).
TEST_F(WifiWindowTest, OpeningAndClosingKeepsTheIniFileByteForByte) {
    struct Case {
        const char* name;
        std::string before;
        QString ssid;  // typed when not empty
        QStringList ip;  // typed into the IP fields when not empty
        std::string after;
    };
    const std::string complete =
        "; site\r\n[WiFiInfo]\r\nVersion=02\r\nMacAddress=0011aabbccdd\r\nSSID=Office AP\r\nDHCP=0\r\n"
        "IP=192.168.001.010\r\nSUBNET=255.255.255.0\r\nGATEWAY=192.168.1.1\r\nDNS=8.8.8.8\r\nMODE=1\r\n"
        "CHANNEL=06\r\nENCRYPTION=3\r\nAUTHENTICATION=1\r\nUSEKEY=1\r\nKEY1=0123456789\r\nWPA=1\r\n"
        "WPAENC=1\r\nWPAKEY=my secret key\r\nTCPPORT=9100\r\n[Other]\r\nb = 2\r\n";
    const Case cases[] = {
        {"complete", complete, "", {}, complete},
        {"sparse", "[WiFiInfo]\nSSID=Depot\nNote=kept\n", "Office AP 2", {"10", "0", "0", "5"},
         "[WiFiInfo]\nSSID=Office AP 2\nNote=kept\nIP=10.0.0.5\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QTemporaryDir dir;
        const std::string iniPath = (dir.path() + "/Tessun_WIFI.ini").toStdString();
        std::ofstream(iniPath, std::ios::binary) << k.before;
        iniAccess = std::make_unique<ui::WifiIniFileAccess>(iniPath);
        session = std::make_unique<MainSession>(shell, PortMap{}, std::make_unique<NullSpooler>(), iniAccess.get());
        main = shell.open(session->dialog());
        QApplication::setActiveWindow(main.get());
        bool ipEmpty = false;
        test::ModalDriver d([&](QWidget* w) {
            auto* v = qobject_cast<DialogView*>(w);
            ASSERT_NE(v, nullptr);
            auto* ip = qobject_cast<IpAddressEdit*>(v->widget(kIp));
            ipEmpty = ip->field(0)->text().isEmpty();
            if (!k.ssid.isEmpty()) type(v, kSsid, k.ssid);
            for (int f = 0; f < k.ip.size(); ++f) QTest::keyClicks(ip->field(f), k.ip[f]);
            click(v, kExit);
        }, main.get(), 20000);
        QTest::mouseClick(main->widget(ui::main_dlg::kStartWifi), Qt::LeftButton);
        EXPECT_TRUE(d.acted());
        // An address the file does not give shows as an empty control, not 0.0.0.0.
        if (k.ip.size() != 0) {
            EXPECT_TRUE(ipEmpty);
        }
        std::ifstream in(iniPath, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), k.after);
        main.reset();
        session.reset();
    }
}

}  // namespace
}  // namespace setrion::gui
