#include <gtest/gtest.h>

#include "ui/kit/dialog.h"
#include "ui/kit/testing/scripted_shell.h"

using namespace setrion::ui;
using setrion::ui::testing::ScriptedShell;

namespace {

// Ends itself at its third timer tick; records the ticks' times.
class TickingDialog : public Dialog {
public:
    explicit TickingDialog(Shell& shell) : Dialog(shell, 901, "Ticking", 80, 40) {
        add(100, ControlKind::Static, "waiting", {});
    }
    std::vector<uint64_t> ticks;
    int endAt = 3;

protected:
    void onInit() override { shell().setTimer(*this, 1, 1000); }
    void onTimer(int) override {
        ticks.push_back(shell().clock().nowMs());
        if (static_cast<int>(ticks.size()) == endAt) {
            control(100).text = "done";
            shell().killTimer(*this, 1);
            endDialog(kIdOk);
        }
    }
};

}  // namespace

TEST(ScriptedShell, RecordsMessagesAndAnswersQuestionsInOrder) {
    ScriptedShell shell;
    shell.answerQuestions({kIdYes, kIdNo});
    EXPECT_EQ(shell.message("hello", "Error"), kIdOk);
    EXPECT_EQ(shell.question("first ?"), kIdYes);
    EXPECT_EQ(shell.question("second ?"), kIdNo);
    EXPECT_EQ(shell.question("third ?"), kIdNo);
    EXPECT_EQ(shell.unscriptedQuestions(), 1);
    ASSERT_EQ(shell.messages().size(), 4u);
    EXPECT_EQ(shell.messages()[0].caption, "Error");
    EXPECT_EQ(shell.messages()[1].buttons, MessageButtons::YesNo);
}

TEST(ScriptedShell, ModalDialogRunsItsTimersUntilItEnds) {
    ScriptedShell shell;
    const uint64_t start = shell.clock().nowMs();
    TickingDialog dlg(shell);
    EXPECT_EQ(shell.runModal(dlg), kIdOk);
    EXPECT_EQ(dlg.ticks, (std::vector<uint64_t>{start + 1000, start + 2000, start + 3000}));
    ASSERT_EQ(shell.modalRuns().size(), 1u);
    EXPECT_EQ(shell.modalRuns()[0].staticsAtEnd.at(100), "done");
    EXPECT_FALSE(shell.modalRuns()[0].closedByShell);
}

TEST(ScriptedShell, ModalThatNeverEndsIsClosedAfterTheBound) {
    ScriptedShell shell;
    shell.setModalTimeBoundMs(5000);
    TickingDialog dlg(shell);
    dlg.endAt = 100;
    shell.runModal(dlg);
    EXPECT_TRUE(shell.modalRuns()[0].closedByShell);
    EXPECT_EQ(dlg.ticks.size(), 5u);
    EXPECT_FALSE(shell.timerActive(dlg, 1));
}

TEST(ScriptedShell, ScriptDrivesTheNextModalAndSleepsRunNoTimers) {
    ScriptedShell shell;
    TickingDialog dlg(shell);
    shell.onNextModal(901, [](Dialog& d, ScriptedShell& s) {
        s.clock().sleepMs(1500);  // an operation's pause delivers no tick
        EXPECT_EQ(static_cast<TickingDialog&>(d).ticks.size(), 0u);
        s.advance(0);  // back in the event loop: the overdue tick arrives
        EXPECT_EQ(static_cast<TickingDialog&>(d).ticks.size(), 1u);
        d.requestClose(kIdCancel);
    });
    EXPECT_EQ(shell.runModal(dlg), kIdCancel);
}

TEST(ScriptedShell, AdvanceFiresTimersInTimeOrder) {
    ScriptedShell shell;
    TickingDialog dlg(shell);
    dlg.endAt = 100;
    dlg.init();
    shell.advance(3500);
    EXPECT_EQ(dlg.ticks.size(), 3u);
    shell.killTimer(dlg, 1);
    shell.advance(5000);
    EXPECT_EQ(dlg.ticks.size(), 3u);
}
