// Every text of every dialog fits its control in the Win32 host, measured with the fonts the
// program gets on Windows (the dialog font is not the Qt host's, so each host is checked).
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "gui/main_session.h"
#include "gui/win32/dialog_window.h"
#include "gui/win32/text_fit.h"
#include "gui/win32/win32_shell.h"
#include "link/spooler.h"
#include "tests/gui/kinds_dialog.h"
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

using namespace ui;
using Make = std::function<std::unique_ptr<Dialog>(Shell&, PortOpener&)>;

template <class D, class... Args>
Make dlg(Args... args) {
    return [=](Shell& s, PortOpener&) { return std::make_unique<D>(s, args...); };
}

std::string report(const std::vector<Win32CutText>& cuts) {
    std::string out;
    for (const Win32CutText& c : cuts)
        out += "control " + std::to_string(c.controlId) + " cuts \"" + c.text +
               "\": " + std::to_string(c.needed.cx) + "x" + std::to_string(c.needed.cy) +
               " px in " + std::to_string(c.available.cx) + "x" + std::to_string(c.available.cy) +
               "\n";
    return out;
}

class Win32TextFitTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{
            sizeof controls, ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
    }
    Win32Shell shell;
    setrion::test::FakePortOpener opener;
};

TEST_F(Win32TextFitTest, EveryTextOfEveryDialogFitsItsControl) {
    const std::string fonts = (std::filesystem::temp_directory_path() / "").string();
    const std::function<std::string()> root = [fonts] { return fonts; };
    std::vector<std::pair<std::string, Make>> dialogs{
        {"wifi",
         [](Shell& s, PortOpener& o) {
             WifiDialogServices w;
             w.ports = &o;
             w.env = setrion::test::noEnv;
             return std::make_unique<CWiFiSettings>(s, std::move(w));
         }},
        {"enterprise", dlg<EnterpriseDlg>()},
        {"password", dlg<ModulePasswordDlg>(std::string("02:00:00:00:00:02"))},
        {"font selection", dlg<CFontSelectDlg>(root)},
        {"font id", dlg<CFontIdDlg>()},
        {"about", dlg<AboutBox>()}};
    for (int k : {0, 1, 2, 3, 4})
        dialogs.emplace_back("information", dlg<InformationWindow>(InformationWindow::Kind(k)));
    for (int k : {0, 1, 100, 101, 102, 103, 104})
        dialogs.emplace_back("status", dlg<StatusWindow>(StatusWindow::Kind(k)));

    MainSession session{shell, {}, std::make_unique<NullSpooler>()};
    auto main = shell.open(session.dialog());
    EXPECT_EQ(report(cutTexts(*main)), "") << "main";
    main.reset();
    for (const auto& [name, make] : dialogs) {
        std::unique_ptr<Dialog> model = make(shell, opener);
        auto window = shell.open(*model);
        EXPECT_EQ(report(cutTexts(*window)), "") << name;
    }
}

TEST_F(Win32TextFitTest, TooLongTextsAreFoundInEachKindOfControl) {
    test::KindsDialog dialog{shell, [](SocketHandle) { return true; }};
    auto window = shell.open(dialog);
    const std::string longText =
        "A text far too long for any of these controls, even the widest "
        "of them, the group box around them all";
    for (int id : {10, 11, 14, 17}) dialog.control(id).text = longText;
    dialog.control(13).setItems({"7", longText}, 0);
    dialog.control(20).setItems({longText}, -1);
    window->render();
    std::vector<int> ids;
    for (const Win32CutText& cut : cutTexts(*window)) ids.push_back(cut.controlId);
    EXPECT_EQ(ids, (std::vector<int>{10, 11, 13, 14, 17, 20}));
}

}  // namespace
}  // namespace setrion::gui
