#pragma once
#include <functional>
#include <string>

#include "ui/kit/dialog.h"

namespace setrion::gui::test {

using ui::ControlKind;

// A dialog with one control of every kind; its handlers change other controls, so the
// tests see whether the window shows the model again after each of them.
class KindsDialog : public ui::Dialog {
  public:
    explicit KindsDialog(ui::Shell& shell, std::function<bool(SocketHandle)> reader = {})
        : Dialog(shell, 500, "Kinds", 200, 160), readSocket(std::move(reader)) {
        add(10, ControlKind::GroupBox, "Group", {5, 5, 190, 150});
        add(11, ControlKind::IconButton, "Go", {10, 15, 60, 20}).iconNumber = 130;
        add(12, ControlKind::Edit, "", {80, 15, 50, 12}).textLimit = 4;
        add(13, ControlKind::DropList, "", {140, 15, 50, 60});
        add(14, ControlKind::CheckBox, "Check", {10, 40, 60, 10});
        add(15, ControlKind::Radio, "ON", {80, 40, 30, 10});
        add(16, ControlKind::Radio, "OFF", {115, 40, 30, 10});
        add(17, ControlKind::Static, "Label : ", {10, 55, 60, 10});
        add(18, ControlKind::IpAddress, "", {80, 55, 80, 12});
        add(19, ControlKind::ProgressBar, "", {10, 70, 100, 8});
        add(20, ControlKind::ListBox, "", {10, 85, 80, 40});
        add(21, ControlKind::IconButton, "Hidden", {100, 85, 60, 20});
        add(ui::kIdOk, ControlKind::IconButton, "OK", {100, 110, 60, 20}).isDefault = true;
        addSystemMenuItem(16, "&About Kinds...");
    }
    int systemCommand = 0;
    int clicks = 0;
    int socketReads = 0;
    int ticks = 0;
    bool allowClose = true;
    char refuse = 0;  // a character the model's filter drops
    bool acceptsTypedCharacter(int, const std::string&, int ch) const override {
        return ch != refuse;
    }
    std::function<void()> onGo;
    std::function<bool(SocketHandle)> readSocket;  // reads one datagram of a readable socket

  protected:
    void onInit() override {
        control(13).setItems({"7", "8"}, 1);
        control(20).setItems({"a", "b", "c"}, -1);
        show(21, false);
        enable(11, false);
    }
    void onClicked(int id) override {
        ++clicks;
        if (id == 11) {
            control(17).text = "Clicked";
            control(11).iconNumber = 135;
            control(19).position = 40;
            if (onGo) onGo();
        } else if (id == 15 || id == 16) {
            checkRadio(id, {15, 16});
        }
        Dialog::onClicked(id);
    }
    void onTextChanged(int id) override {
        if (id == 12) enable(11, !control(12).text.empty());
        if (id == 18) control(17).text = std::to_string(control(18).octets[3]);
    }
    void onSelectionChanged(int id) override {
        if (id == 13 && control(13).selection == 0) control(13).selection = 1;  // "7" refused
        if (id == 20) control(17).text = control(20).selectedText();
    }
    bool onClosing(int) override { return allowClose; }
    void onSystemCommand(int command) override {
        systemCommand = command;
        control(17).text = "about";
    }
    void onTimer(int) override {
        ++ticks;
        control(17).text = "tick " + std::to_string(ticks);
    }
    void onSocketReadable(SocketHandle socket) override {
        socketReads += readSocket && readSocket(socket) ? 1 : 0;
    }
};

}  // namespace setrion::gui::test
