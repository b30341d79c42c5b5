#include <gtest/gtest.h>

#include "ui/kit/testing/scripted_shell.h"
#include "ui/main/information_window.h"
#include "ui/main/status_window.h"

using namespace setrion;
using namespace setrion::ui;
using setrion::ui::testing::ScriptedShell;

TEST(InformationWindow, TitlesAndBodies) {
    ScriptedShell shell;
    InformationWindow power(shell, InformationWindow::Kind::PowerSave);
    power.setPowerSave(PowerSaveMode::PowerOff, 5);
    EXPECT_EQ(shell.runModal(power), kIdOk);
    EXPECT_EQ(shell.modalRuns()[0].titleAtEnd, "Power Save Mode Setting Information");
    EXPECT_EQ(shell.modalRuns()[0].staticsAtEnd.at(1136), "The printer power will be off after 5 minute.");

    InformationWindow reset(shell, InformationWindow::Kind::FactoryReset);
    EXPECT_EQ(reset.titleText(), "Factory settting completed");
    EXPECT_EQ(reset.bodyText(), "Printer is reset to factory settings.");
    InformationWindow font(shell, InformationWindow::Kind::FontDownload);
    EXPECT_EQ(font.titleText(), "Font download Information");
    EXPECT_EQ(font.bodyText(), "Font download is success.");
    InformationWindow none(shell, InformationWindow::Kind::PowerSave);
    EXPECT_EQ(none.bodyText(), "Printer does not support the power save mode.");
    EXPECT_EQ(none.control(kIdOk).iconNumber, 145);
}

namespace {
struct SearchRun {
    ScriptedShell shell;
    NetworkActivityState activity;
};
}  // namespace

TEST(StatusWindow, SearchClosesItselfAfterTheLastOfThreeAnswers) {
    for (uint64_t offset : {0u, 1u, 400u, 999u}) {
        SearchRun r;
        StatusWindow w(r.shell, StatusWindow::Kind::Searching, &r.activity);
        uint64_t lastAnswer = 0;
        r.shell.onNextModal(106, [&](Dialog& d, ScriptedShell& s) {
            EXPECT_EQ(d.title(), "Wi-Fi Printer Searching...");
            EXPECT_EQ(d.control(1165).text, "Now searching printers...");
            EXPECT_FALSE(d.control(kIdOk).visible);
            EXPECT_TRUE(s.waitCursor());
            s.advance(300 + offset);
            for (int i = 0; i < 3; ++i) {
                s.advance(250);
                ++r.activity.networkEntries;
                r.activity.done = true;
                r.activity.doneTimeMs = s.clock().nowMs();
            }
            lastAnswer = s.clock().nowMs();
        });
        EXPECT_EQ(r.shell.runModal(w), kIdOk);
        const auto& run = r.shell.modalRuns()[0];
        EXPECT_FALSE(run.closedByShell);
        EXPECT_GE(run.endMs - lastAnswer, 1500u) << offset;
        EXPECT_LE(run.endMs - lastAnswer, 2500u) << offset;
        EXPECT_EQ(r.activity.resultCount, 3);
        EXPECT_EQ(run.staticsAtEnd.at(1165), "Searching Completed !!!");
        EXPECT_EQ(run.titleAtEnd, "Wi-Fi Printer Searching");
        EXPECT_FALSE(r.shell.waitCursor());
    }
}

TEST(StatusWindow, SearchWithoutAnswersShowsTheFirewallHintAndWaits) {
    SearchRun r;
    r.activity.done = true;
    r.activity.doneTimeMs = r.shell.clock().nowMs();
    StatusWindow w(r.shell, StatusWindow::Kind::Searching, &r.activity);
    r.shell.onNextModal(106, [&](Dialog& d, ScriptedShell& s) {
        s.advance(10000);
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(d.control(1165).text, "Cannot search the Wi-Fi printer.\nPlease check the firewall...");
        EXPECT_EQ(d.title(), "Wi-Fi Printer Searching Results...");
        EXPECT_TRUE(d.control(kIdOk).visible);
        d.click(kIdOk);
    });
    EXPECT_EQ(r.shell.runModal(w), kIdOk);
    EXPECT_EQ(r.activity.resultCount, 0);
    EXPECT_FALSE(r.shell.modalRuns()[0].closedByShell);
}

TEST(StatusWindow, SaveWithoutConfirmationReportsErrorAtTheSeventhTick) {
    SearchRun r;
    StatusWindow w(r.shell, StatusWindow::Kind::Saving, &r.activity);
    r.shell.onNextModal(106, [&](Dialog& d, ScriptedShell& s) {
        EXPECT_EQ(d.title(), "Printer Saving...");
        EXPECT_EQ(d.control(1165).text, "Now saving....");
        s.advance(6000);
        EXPECT_EQ(d.control(1165).text, "Now saving....");
        EXPECT_EQ(w.tickCount(), 6);
        s.advance(1000);
        EXPECT_EQ(d.control(1165).text, "Save Error !!!");
        EXPECT_EQ(d.title(), "Save Result");
        EXPECT_FALSE(s.timerActive(d, StatusWindow::kTimerId));
        EXPECT_FALSE(s.waitCursor());
        EXPECT_TRUE(d.control(kIdOk).visible);
        d.click(kIdOk);
    });
    r.shell.runModal(w);
}

TEST(StatusWindow, SaveConfirmedShowsCompletion) {
    SearchRun r;
    StatusWindow w(r.shell, StatusWindow::Kind::Saving, &r.activity);
    r.shell.onNextModal(106, [&](Dialog& d, ScriptedShell& s) {
        s.advance(2500);
        r.activity.confirmed = true;
        s.advance(1000);
        EXPECT_EQ(d.control(1165).text, "Save Completed !!!");
        EXPECT_EQ(d.title(), "Printer Settings Saved");
        EXPECT_TRUE(d.control(kIdOk).visible);
        d.click(kIdOk);
    });
    r.shell.runModal(w);
}

TEST(StatusWindow, FixedKinds) {
    struct Case {
        StatusWindow::Kind kind;
        const char* title;
        const char* body;
    };
    const Case cases[] = {
        {StatusWindow::Kind::SearchFirewallHint, "Wi-Fi Printer Searching Results...", "Please, check the firewall..."},
        {StatusWindow::Kind::SettingsSaved, "Printer Settings Saved", "Save Completed !!!"},
        {StatusWindow::Kind::ReadCompleted, "Read Wi-Fi information", "Read Completed !!!"},
        {StatusWindow::Kind::SaveCompleted, "Save Wi-Fi information", "Save Completed !!!"},
        {StatusWindow::Kind::NowSaving, "Now Saving printer settings...", "Now Saving......"},
    };
    for (const Case& c : cases) {
        ScriptedShell shell;
        StatusWindow w(shell, c.kind);
        w.init();
        EXPECT_EQ(w.title(), c.title);
        EXPECT_EQ(w.control(1165).text, c.body);
        EXPECT_TRUE(w.control(kIdOk).visible);
        EXPECT_FALSE(shell.timerActive(w, StatusWindow::kTimerId));
        w.click(kIdOk);
        EXPECT_TRUE(w.ended());
        EXPECT_FALSE(shell.waitCursor());
    }
}
