#include <gtest/gtest.h>

#include "ui/kit/dialog.h"
#include "ui/kit/testing/scripted_shell.h"

using namespace setrion::ui;
using setrion::ui::testing::ScriptedShell;

namespace {

// A small dialog exercising every entry point.
class ProbeDialog : public Dialog {
public:
    explicit ProbeDialog(Shell& shell) : Dialog(shell, 900, "Probe", 100, 60) {
        add(10, ControlKind::Edit, "", {5, 5, 40, 12}).textLimit = 3;
        add(11, ControlKind::DropList, "", {5, 20, 40, 60}).setItems({"a", "b", "c"}, 0);
        add(12, ControlKind::CheckBox, "Check", {5, 35, 40, 10});
        add(13, ControlKind::Button, "Push", {50, 5, 40, 14});
        add(kIdOk, ControlKind::Button, "OK", {50, 40, 40, 14}).isDefault = true;
    }
    std::vector<std::string> events;
    bool allowClose = true;

protected:
    void onInit() override { events.push_back("init"); }
    void onClicked(int id) override {
        events.push_back("click " + std::to_string(id));
        Dialog::onClicked(id);
    }
    void onSelectionChanged(int id) override {
        events.push_back("sel " + std::to_string(id) + "=" + control(id).selectedText());
    }
    void onTextChanged(int id) override { events.push_back("text " + control(id).text); }
    bool onClosing(int result) override {
        events.push_back("closing " + std::to_string(result));
        return allowClose;
    }
    void onTimer(int id) override { events.push_back("timer " + std::to_string(id)); }
};

}  // namespace

TEST(Dialog, InputEntryPointsRespectStateAndLimits) {
    ScriptedShell shell;
    ProbeDialog dlg(shell);
    dlg.init();

    EXPECT_TRUE(dlg.editText(10, "abc"));
    EXPECT_FALSE(dlg.editText(10, "abcd"));  // over the limit: refused, text kept
    EXPECT_EQ(dlg.control(10).text, "abc");

    dlg.select(11, 2);
    dlg.select(11, 2);  // no change, no event
    dlg.select(11, 7);  // out of range
    EXPECT_EQ(dlg.control(11).selectedText(), "c");

    dlg.click(12);
    EXPECT_TRUE(dlg.control(12).checked);

    dlg.control(13).enabled = false;
    dlg.click(13);  // disabled: ignored
    dlg.control(13).enabled = true;
    dlg.control(13).visible = false;
    dlg.click(13);  // hidden: ignored

    EXPECT_EQ(dlg.events, (std::vector<std::string>{"init", "text abc", "sel 11=c", "click 12"}));
}

TEST(Dialog, OkAsksOnClosingAndEndsOnlyWhenAllowed) {
    ScriptedShell shell;
    ProbeDialog dlg(shell);
    dlg.init();
    dlg.allowClose = false;
    dlg.click(kIdOk);
    EXPECT_FALSE(dlg.ended());
    dlg.allowClose = true;
    dlg.requestClose();
    EXPECT_TRUE(dlg.ended());
    EXPECT_EQ(dlg.result(), kIdCancel);
}

TEST(Dialog, ControlsKeepCreationOrderAndRejectDuplicates) {
    ScriptedShell shell;
    ProbeDialog dlg(shell);
    std::vector<int> ids;
    for (const Control* c : dlg.controls()) ids.push_back(c->id);
    EXPECT_EQ(ids, (std::vector<int>{10, 11, 12, 13, kIdOk}));
    EXPECT_EQ(dlg.find(99), nullptr);
    EXPECT_THROW(dlg.control(99), std::out_of_range);
}

TEST(Control, SelectionHelpers) {
    Control c;
    c.setItems({"x", "y"}, 5);
    EXPECT_EQ(c.selection, -1);
    EXPECT_EQ(c.selectedText(), "");
    EXPECT_TRUE(c.selectText("y"));
    EXPECT_FALSE(c.selectText("z"));
    EXPECT_EQ(c.selection, 1);
}
