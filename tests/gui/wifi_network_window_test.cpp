// The Wi-Fi dialog's network mode on the desktop host against `setrion-sim lan` on the
// loopback broadcast with ports of its own, with screenshots.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <nlohmann/json.hpp>

#include "gui/qt/demo_lan.h"
#include "gui/qt/dialog_view.h"
#include "gui/qt/icon_button.h"
#include "gui/main_session.h"
#include "gui/qt/qt_shell.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "ui/main/main_dialog_ids.h"
#include "ui/main/status_window.h"
#include "ui/wifi/wifi_dialog_ids.h"

namespace setrion::gui {
namespace {

using namespace ui::wifi_dlg;

void click(DialogView* v, int id) {
    QWidget* w = v->widget(id);
    ASSERT_TRUE(w->isVisible() && w->isEnabled()) << id;
    QTest::mouseClick(w, Qt::LeftButton);
}
QString text(DialogView* v, int id) { return qobject_cast<QLineEdit*>(v->widget(id))->text(); }
void type(DialogView* v, int id, const QString& t) {
    auto* e = qobject_cast<QLineEdit*>(v->widget(id));
    e->selectAll();
    QTest::keyClicks(e, t);
}
void choose(DialogView* v, int id, const QString& item) {
    auto* cb = qobject_cast<QComboBox*>(v->widget(id));
    const int i = cb->findText(item);
    ASSERT_GE(i, 0) << item.toStdString();
    cb->setCurrentIndex(i);
    emit cb->activated(i);
}
QStringList lines(DialogView* v) {
    QStringList out;
    auto* l = qobject_cast<QListWidget*>(v->widget(kPrinterList));
    for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
    return out;
}
void pick(DialogView* v, int row) { qobject_cast<QListWidget*>(v->widget(kPrinterList))->setCurrentRow(row); }
QString body(QWidget* w) { return qobject_cast<QLabel*>(qobject_cast<DialogView*>(w)->widget(ui::StatusWindow::kTextId))->text(); }
void shoot(QWidget* w, const QString& name) { test::saveScreenshot(w->grab().toImage(), name); }

TEST(WifiNetworkWindowTest, SearchSelectSaveAndSearchAgainOverTheSimulatedLan) {
    test::app();
    QTemporaryDir cwd;
    const QString oldCwd = QDir::currentPath();
    QDir::setCurrent(cwd.path());  // ./result.out goes here
    DemoLan lan;
    ASSERT_EQ(lan.start(SETRION_BINARY_DIR "/sim/setrion-sim"), QString());
    QtShell shell;
    MainSession session(shell, PortMap{}, std::make_unique<NullSpooler>());
    session.setNetConfig(lan.config());
    auto main = shell.open(session.dialog());

    QStringList found, foundAgain, titles;
    QString ssidAgain, textSaveBody;
    std::vector<test::ModalSequence::Act> acts;
    auto note = [&](const QString& shot) {
        return [&titles, shot](QWidget* w) {
            titles << w->windowTitle();
            if (!shot.isEmpty()) shoot(w, shot);
        };
    };
    acts.push_back([&](QWidget* w) {
        auto* v = qobject_cast<DialogView*>(w);
        ASSERT_NE(v, nullptr);
        choose(v, kPort, "LAN (network search)");
        EXPECT_TRUE(v->widget(kWifiSearch)->isVisible());
        EXPECT_TRUE(v->widget(kPrinterList)->isVisible());
        EXPECT_FALSE(v->widget(kBaud)->isVisible());
        EXPECT_FALSE(v->widget(kNetworkSave)->isEnabled());
        click(v, kWifiSearch);  // the status window closes by itself
        found = lines(v);
        EXPECT_EQ(qobject_cast<IconButton*>(v->widget(kWifiSearch))->iconNumber(), 154);
        shoot(v, "wifi_network_list");
        pick(v, 2);  // 02:00:00:00:00:03, generation 3, WPA-PSK
        EXPECT_EQ(text(v, kMacAddress), QString("02:00:00:00:00:03"));
        type(v, kSsid, "Warehouse-3");
        choose(v, kChannel, "9");
        type(v, kWpaKey, "gui-lan-key");
        v->dispatch([&] { v->model().setIpOctets(kIp, {192, 168, 1, 22}); });
        shoot(v, "wifi_network_selected");
        click(v, kNetworkSave);  // "Printer Settings Saved"
        click(v, kWifiSearch);
        foundAgain = lines(v);
        pick(v, 2);
        ssidAgain = text(v, kSsid);
        pick(v, 3);  // the text-frame printer
        type(v, kSsid, "TextRenamed");
        click(v, kNetworkSave);  // "Printer Saving..."
        v->close();
    });
    acts.push_back(note("status_window_searching"));
    acts.push_back([&](QWidget* w) {
        note("status_window_saved")(w);
        QTest::mouseClick(qobject_cast<DialogView*>(w)->widget(ui::kIdOk), Qt::LeftButton);
    });
    acts.push_back(note(""));
    acts.push_back([&](QWidget* w) {
        titles << w->windowTitle();
        for (int i = 0; i < 100 && body(w) == "Now saving...."; ++i) QTest::qWait(100);
        textSaveBody = body(w);
        shoot(w, "status_window_text_saved");
        QTest::mouseClick(qobject_cast<DialogView*>(w)->widget(ui::kIdOk), Qt::LeftButton);
    });
    test::ModalSequence seq(acts, main.get(), 120000);
    QTest::mouseClick(main->widget(ui::main_dlg::kStartWifi), Qt::LeftButton);
    EXPECT_TRUE(seq.finished());
    const QStringList all{"02:00:00:00:00:01", "02:00:00:00:00:02", "02:00:00:00:00:03", "02:00:00:00:00:A1"};
    EXPECT_EQ(found, all);
    EXPECT_EQ(foundAgain, all);
    EXPECT_EQ(ssidAgain, QString("Warehouse-3"));
    EXPECT_EQ(titles, QStringList({"Wi-Fi Printer Searching...", "Printer Settings Saved",
                                   "Wi-Fi Printer Searching...", "Printer Saving..."}));
    EXPECT_EQ(textSaveBody, QString("Save Completed !!!"));

    std::ifstream in(lan.statePath().toStdString());
    const auto state = nlohmann::json::parse(in, nullptr, false);
    ASSERT_FALSE(state.is_discarded());
    EXPECT_EQ(state["modules"][2]["ssid"], "Warehouse-3");
    EXPECT_EQ(state["modules"][2]["wpa_key"], "gui-lan-key");
    EXPECT_EQ(state["text_printers"][0]["ssid"], "TextRenamed");
    std::ifstream result((cwd.path() + "/result.out").toStdString(), std::ios::binary);
    std::string kept((std::istreambuf_iterator<char>(result)), std::istreambuf_iterator<char>());
    ASSERT_EQ(kept.size(), 1013u);
    EXPECT_EQ(kept.substr(14, 11), "TextRenamed");
    main.reset();
    QDir::setCurrent(oldCwd);
}

}  // namespace
}  // namespace setrion::gui
