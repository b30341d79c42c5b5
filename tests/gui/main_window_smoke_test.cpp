// The main settings dialog on screen: labels, the open state against the simulated printer,
// and the probe failure's message box.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>

#include "gui/qt/dialog_view.h"
#include "gui/qt/qt_shell.h"
#include "link/port_opening.h"
#include "link/serial_link.h"
#include "tests/gui/modal_driver.h"
#include "tests/gui/qt_app.h"
#include "tests/support/scripted_link.h"
#include "tests/support/sim_process.h"
#include "ui/main/qx7_serial_set_dlg.h"

namespace setrion::gui {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::app(); }

    void openWindow(const std::string& com1) {
        services.ports = &ports;
        services.portMap["COM1"] = com1;
        dialog = std::make_unique<ui::CQx7SerialSetDlg>(shell, services);
        view = shell.open(*dialog);
        view->show();
        QApplication::setActiveWindow(view.get());
    }
    QWidget* w(int id) { return view->widget(id); }
    void click(int id) { qobject_cast<QAbstractButton*>(w(id))->click(); }

    QtShell shell;
    SerialLink serial;
    setrion::test::ScriptedLink usb;
    StandardPortOpener ports{serial, usb, [] { return 1; }};
    ui::MainDialogServices services;
    std::unique_ptr<ui::CQx7SerialSetDlg> dialog;
    std::unique_ptr<DialogView> view;
};

TEST_F(MainWindowTest, ShowsTheLabelsAndKeepsHiddenControlsHidden) {
    openWindow("/dev/setrion-missing");
    const std::pair<int, const char*> labels[] = {
        {1020, "Printer Connnection Settings"}, {1005, "Open Port"},
        {1011, "Close Port"},                   {1006, "Save Serial Port Configuration"},
        {1021, "Emulation Settings"},           {1007, "Get Emulation"},
        {1022, "Bluetooth Settings"},           {1012, "Get Bluetooth Information"},
        {1023, "PIN Code Information"},         {1017, "Save Bluetooth PIN Code"},
        {1024, "Discoverable Mode Information"}, {1018, "Save Discoverable Mode"},
        {1161, "Density Settings"},             {1162, "Save Density"},
        {1142, "Code Page Setting"},            {1143, "Save Code Page"},
        {1146, "Print Code Page"},              {1025, "Wi-Fi Settings"},
        {1019, "Start Wi-Fi Settings"},         {1026, "Font Download"},
        {1027, "Open"},                         {1028, "Download"},
        {1, "E&xit"}};
    for (auto [id, label] : labels) {
        ASSERT_NE(w(id), nullptr) << id;
        EXPECT_TRUE(w(id)->isVisible()) << id;
        EXPECT_EQ(dialog->control(id).text, label) << id;
    }
    for (int hidden : {1009, 1010, 1139, 1140, 1158, 1159, 1160, 1174})
        EXPECT_TRUE(w(hidden) == nullptr || !w(hidden)->isVisible()) << hidden;
    EXPECT_TRUE(w(1005)->isEnabled());
    EXPECT_FALSE(w(1011)->isEnabled());
    test::saveScreenshot(test::render(*view), "main_dialog");
}

TEST_F(MainWindowTest, OpenPortAgainstTheSimulatorMovesToTheOpenState) {
    setrion::test::SimProcess sim({"--emulation", "escpos"});
    ASSERT_TRUE(sim.running());
    openWindow(sim.link());
    click(1005);
    EXPECT_FALSE(w(1005)->isEnabled());
    EXPECT_TRUE(w(1011)->isEnabled());
    EXPECT_TRUE(w(1007)->isEnabled());
    EXPECT_TRUE(w(1162)->isEnabled());  // density, ESC/POS only
    EXPECT_FALSE(w(1)->isEnabled());
    test::saveScreenshot(test::render(*view), "main_dialog_open");
    click(1011);
    EXPECT_TRUE(w(1005)->isEnabled());
}

TEST_F(MainWindowTest, SilentPrinterShowsNoResponseWithCaptionError) {
    setrion::test::SimProcess sim({"--silent"});
    ASSERT_TRUE(sim.running());
    openWindow(sim.link());
    test::ShownBox box;
    test::ModalDriver driver(
        [&](QWidget* m) {
            box = test::readBox(m);
            test::saveScreenshot(test::render(*m), "message_no_response");
            qobject_cast<QMessageBox*>(m)->button(QMessageBox::Ok)->click();
        },
        view.get(), 10000);
    click(1005);
    EXPECT_TRUE(driver.acted());
    EXPECT_EQ(box.text, QString("No Response in printer"));
    EXPECT_EQ(box.caption, QString("Error"));
}

}  // namespace
}  // namespace setrion::gui
