#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/kit/control.h"
#include "ui/kit/shell.h"

namespace setrion::ui {

// A dialog as a presentation model: every control's state plus the reactions to events.
//
// Host contract (gui/ and ScriptedShell):
//  - Build one widget per control of controls(), by kind, at its rect (dialog units), inside
//    a window of widthDu() x heightDu() with title(). Call init() once before showing.
//  - Turn user input into the entry points below (click, select, editText, setIpOctets,
//    requestClose, timer, socketReadable, systemCommand). After EVERY entry point returns,
//    re-read the state of all controls and of the window (title, windowVisible) and show
//    it: handlers change any control they like. Shell::repaint asks for the same while a handler runs.
//  - When ended() becomes true, close the window; runModal returns result().
//
// Model contract (subclasses):
//  - Add the controls in the constructor with add(); fill and enable them in onInit().
//  - Override the on*() handlers; call Dialog::onClicked for ids you do not handle, so that
//    the buttons kIdOk and kIdCancel close the dialog through onClosing().
class Dialog {
public:
    Dialog(Shell& shell, int templateId, std::string title, int widthDu, int heightDu);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // ---- host side -------------------------------------------------------------------
    void init();
    // A button, icon button, check box or radio was pressed. A disabled or hidden control
    // ignores the click. A check box toggles `checked` first.
    void click(int id);
    // The user chose item `index` of a list (ignored when disabled or out of range, or when
    // it is already selected).
    void select(int id, int index);
    // The user is about to drop a list down (ignored when disabled): the model may refill
    // it first.
    void dropDown(int id);
    // The user changed an edit's text. Returns false and keeps the old text when the new
    // text is longer than the control's text limit or the edit is disabled/read-only.
    bool editText(int id, const std::string& text);
    // The user changed an IP address control: four octets, or nothing when a field is blank.
    void setIpOctets(int id, const std::optional<std::array<uint8_t, 4>>& octets);
    void setIpOctets(int id, const std::array<uint8_t, 4>& octets) {
        setIpOctets(id, std::optional<std::array<uint8_t, 4>>(octets));
    }
    // A character about to be typed into control `id` (an edit, or one field of an IP
    // control) whose text is now `fieldText`: whether it is taken. 8 is backspace.
    virtual bool acceptsTypedCharacter(int /*id*/, const std::string& /*fieldText*/, int /*ch*/) const {
        return true;
    }
    // The close box (kIdCancel) or another closing command: asks onClosing().
    void requestClose(int result = kIdCancel);
    // The keyboard's two dialog keys. Enter presses `focusedId` when it is a push button, else
    // the default button. Escape presses the escape button (by default the control kIdCancel,
    // when the dialog has one) or, in a dialog without one, closes it like the close box.
    // Neither acts through a disabled or hidden button.
    void pressEnter(int focusedId = 0);
    void pressEscape();
    void timer(int timerId) { onTimer(timerId); }
    // A command from the window's system menu (see systemMenuItems()).
    void systemCommand(int command) { onSystemCommand(command); }
    void socketReadable(SocketHandle socket) { onSocketReadable(socket); }

    int templateId() const { return m_templateId; }
    const std::string& title() const { return m_title; }
    int widthDu() const { return m_width; }
    int heightDu() const { return m_height; }
    // The window icon resource number, 0 for the application's icon.
    int windowIcon() const { return m_windowIcon; }
    // Entries the host appends to the window's system menu (after a separator), in order;
    // choosing one calls systemCommand(command).
    struct MenuItem {
        int command = 0;
        std::string text;  // '&' marks a mnemonic
    };
    const std::vector<MenuItem>& systemMenuItems() const { return m_systemMenu; }
    // False while the model wants its window hidden without ending.
    bool windowVisible() const { return m_windowVisible; }
    bool ended() const { return m_ended; }
    int result() const { return m_result; }

    // Controls in creation order.
    std::vector<const Control*> controls() const;
    // The controls Tab visits, in order (Shift+Tab the reverse): the order set with
    // setTabOrder(), then any other control that takes the focus, in creation order. An IP
    // address control is one stop. The host skips disabled and hidden ones.
    std::vector<int> tabOrder() const;
    static bool takesFocus(ControlKind kind);
    // The button Escape presses, 0 when Escape closes the dialog like the close box.
    int escapeButton() const;
    const Control* find(int id) const;
    // The control with this id; a missing id is a programming error (throws std::out_of_range).
    const Control& control(int id) const;

    // ---- model side ------------------------------------------------------------------
    Control& control(int id);
    Shell& shell() { return m_shell; }

protected:
    Control& add(int id, ControlKind kind, std::string text, Rect rect);
    void setTitle(std::string title) { m_title = std::move(title); }
    void setWindowIcon(int icon) { m_windowIcon = icon; }
    void addSystemMenuItem(int command, std::string text) {
        m_systemMenu.push_back({command, std::move(text)});
    }
    void setWindowVisible(bool visible) { m_windowVisible = visible; }
    // Tab order by reading order: each group top to bottom, left to right.
    void setTabOrder(std::vector<int> ids) { m_tabOrder = std::move(ids); }
    // The button Escape presses instead of kIdCancel; 0: Escape acts as the close box.
    void setEscapeButton(int id) { m_escapeButton = id; }
    // Ends the modal loop with `result` (no onClosing() check).
    void endDialog(int result);

    void enable(int id, bool on = true) { control(id).enabled = on; }
    void enable(std::initializer_list<int> ids, bool on);
    void show(int id, bool on = true) { control(id).visible = on; }
    // Checks `id` and unchecks the other radios of `group`.
    void checkRadio(int id, std::initializer_list<int> group);

    virtual void onInit() {}
    // Default: kIdOk and kIdCancel call requestClose() with their id.
    virtual void onClicked(int id);
    virtual void onSelectionChanged(int /*id*/) {}
    virtual void onDropDown(int /*id*/) {}
    virtual void onTextChanged(int /*id*/) {}
    // May the dialog close with `result`? Default yes.
    virtual bool onClosing(int /*result*/) { return true; }
    virtual void onTimer(int /*timerId*/) {}
    virtual void onSocketReadable(SocketHandle /*socket*/) {}
    virtual void onSystemCommand(int /*command*/) {}

private:
    Shell& m_shell;
    int m_templateId;
    std::string m_title;
    int m_width;
    int m_height;
    int m_windowIcon = 0;
    bool m_windowVisible = true;
    bool m_ended = false;
    int m_result = 0;
    std::vector<MenuItem> m_systemMenu;
    std::map<int, Control> m_controls;
    std::vector<int> m_order;
    std::vector<int> m_tabOrder;
    std::optional<int> m_escapeButton;
};

}  // namespace setrion::ui
