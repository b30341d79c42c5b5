// Every text of every dialog fits its control, measured with the fonts the program gets on
// this system. The suite runs this binary at scale 1 and again on a 144-dpi screen (scale
// 1.5), where the font and the dialog units grow by different roundings.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gui/dialog_view.h"
#include "gui/main_session.h"
#include "gui/qt_shell.h"
#include "gui/text_fit.h"
#include "tests/gui/qt_app.h"
#include "tests/link/fake_port_opener.h"
#include "ui/fonts/font_id_dlg.h"
#include "ui/fonts/font_select_dlg.h"
#include "ui/main/about_box.h"
#include "ui/main/information_window.h"
#include "ui/main/status_window.h"
#include "ui/wifi/enterprise_dlg.h"
#include "ui/wifi/module_password_dlg.h"
#include "ui/wifi/wifi_settings_dlg.h"

namespace setrion::gui {
namespace {

using Make = std::function<std::unique_ptr<ui::Dialog>(ui::Shell&)>;

struct Case {
    const char* name;
    Make make;
};

std::unique_ptr<ui::Dialog> information(ui::Shell& shell, ui::InformationWindow::Kind kind) {
    auto w = std::make_unique<ui::InformationWindow>(shell, kind);
    w->setPowerSave(PowerSaveMode::PowerSave, 30);  // the longest of the confirmations
    w->setCodePageIndex(0);
    w->setDensityIndex(0);
    return w;
}

class DialogTextFitTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { test::app(); }

    std::vector<Case> cases() {
        using IK = ui::InformationWindow::Kind;
        using SK = ui::StatusWindow::Kind;
        std::vector<Case> all{
            {"main", [](ui::Shell&) -> std::unique_ptr<ui::Dialog> { return nullptr; }},
            {"wifi",
             [this](ui::Shell& s) {
                 ui::WifiDialogServices w;
                 w.ports = &opener;
                 w.env = setrion::test::noEnv;
                 return std::make_unique<ui::CWiFiSettings>(s, std::move(w));
             }},
            {"enterprise", [](ui::Shell& s) { return std::make_unique<ui::EnterpriseDlg>(s); }},
            {"module password",
             [](ui::Shell& s) {
                 return std::make_unique<ui::ModulePasswordDlg>(s, "02:00:00:00:00:02");
             }},
            {"font selection",
             [](ui::Shell& s) {
                 return std::make_unique<ui::CFontSelectDlg>(s, [] { return std::string("/"); });
             }},
            {"font id", [](ui::Shell& s) { return std::make_unique<ui::CFontIdDlg>(s); }},
            {"about", [](ui::Shell& s) { return std::make_unique<ui::AboutBox>(s); }},
        };
        for (IK k : {IK::PowerSave, IK::CodePage, IK::FactoryReset, IK::Density, IK::FontDownload})
            all.push_back({"information", [k](ui::Shell& s) { return information(s, k); }});
        for (SK k : {SK::Searching, SK::Saving, SK::SearchFirewallHint, SK::SettingsSaved,
                     SK::ReadCompleted, SK::SaveCompleted, SK::NowSaving})
            all.push_back(
                {"status", [k](ui::Shell& s) { return std::make_unique<ui::StatusWindow>(s, k); }});
        return all;
    }

    QtShell shell;
    setrion::test::FakePortOpener opener;
};

TEST_F(DialogTextFitTest, EveryTextFitsItsControl) {
    MainSession session(shell, {}, std::make_unique<NullSpooler>());
    for (const Case& c : cases()) {
        std::unique_ptr<ui::Dialog> own = c.make(shell);
        ui::Dialog& dialog = own ? *own : session.dialog();
        std::unique_ptr<DialogView> view = shell.open(dialog);
        SCOPED_TRACE(c.name);
        for (const CutText& cut : cutTexts(*view))
            ADD_FAILURE() << c.name << ": control " << cut.controlId << " cuts \""
                          << cut.text.toStdString() << "\": needs " << cut.needed.width() << "x"
                          << cut.needed.height() << " px, has " << cut.available.width() << "x"
                          << cut.available.height() << " (base units " << view->baseUnits().width()
                          << "x" << view->baseUnits().height() << ")";
        view->close();
    }
}

}  // namespace
}  // namespace setrion::gui
