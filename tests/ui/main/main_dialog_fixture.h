#pragma once
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/link/fake_port_opener.h"
#include "tests/printer/printer_fixture.h"
#include "ui/kit/testing/scripted_shell.h"
#include "ui/main/qx7_serial_set_dlg.h"

namespace setrion::test {

using namespace setrion::ui;
using namespace setrion::ui::main_dlg;
using setrion::ui::testing::ScriptedShell;

// The main dialog on scripted links. The printer answers the probe with `probeAnswer` on
// whichever link is open, and queries from `answers` (prefix of the written text -> reply).
struct MainDialogFixture : ::testing::Test {
    ScriptedShell shell;
    FakePortOpener ports;
    FixedSpooler spooler;
    std::string probeAnswer = "1";
    PrinterAnswers answers;
    bool automation = false;
    int wifiDialogsMade = 0;
    // Set before SetUp() runs (e.g. in a derived fixture's constructor) to handle the fonts.
    FontDownloadController* fontController = nullptr;
    std::unique_ptr<CQx7SerialSetDlg> dlg;

    void SetUp() override {
        ports.serialLink.setResponder(printerResponder(probeAnswer, answers));
        ports.usbLink.setResponder(printerResponder(probeAnswer, answers));
        MainDialogServices services;
        services.ports = &ports;
        services.spooler = &spooler;
        services.env = [](const char*) -> const char* { return nullptr; };
        services.automationClientAttached = [this] { return automation; };
        services.wifiDialogFactory = [this](Shell& s) -> std::unique_ptr<Dialog> {
            ++wifiDialogsMade;
            return std::make_unique<WifiStandIn>(s);
        };
        services.fonts = fontController;
        dlg = std::make_unique<CQx7SerialSetDlg>(shell, std::move(services));
        dlg->init();
    }

    // A stand-in for the Wi-Fi settings dialog.
    struct WifiStandIn : Dialog {
        explicit WifiStandIn(Shell& s) : Dialog(s, 4242, "Wi-Fi", 100, 100) {
            add(kIdOk, ControlKind::Button, "OK", {});
        }
    };

    void selectText(int id, const std::string& item) {
        const auto& items = dlg->control(id).items;
        auto it = std::find(items.begin(), items.end(), item);
        ASSERT_NE(it, items.end()) << item;
        dlg->select(id, static_cast<int>(it - items.begin()));
    }
    void openWith(const std::string& answer, const std::string& port = "COM1") {
        probeAnswer = answer;
        selectText(kPort, port);
        dlg->click(kOpenPort);
    }
    bool enabled(int id) const { return dlg->control(id).enabled; }
    // The ids of every enabled button, list, edit and radio (labels and frames left out).
    std::set<int> enabledInputs() const {
        std::set<int> out;
        for (const Control* c : dlg->controls()) {
            if (c->kind == ControlKind::Static || c->kind == ControlKind::GroupBox ||
                c->kind == ControlKind::ProgressBar)
                continue;
            if (c->enabled) out.insert(c->id);
        }
        return out;
    }
    std::string lastText() const { return shell.lastMessage() ? shell.lastMessage()->text : ""; }
    std::string lastCaption() const { return shell.lastMessage() ? shell.lastMessage()->caption : ""; }
};

}  // namespace setrion::test
