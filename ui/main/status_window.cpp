#include "ui/main/status_window.h"

namespace setrion::ui {

StatusWindow::StatusWindow(Shell& shell, Kind kind, NetworkActivity* activity)
    : Dialog(shell, kTemplateId, "", 238, 74), m_kind(kind), m_activity(activity) {
    add(kTextId, ControlKind::Static, "", {10, 10, 218, 28}).otherTexts = {
        "Searching Completed !!!", "Cannot search the Wi-Fi printer.\nPlease check the firewall...",
        "Save Completed !!!", "Save Error !!!"};
    Control& ok = add(kIdOk, ControlKind::IconButton, "OK", {97, 40, 44, 28});
    ok.iconNumber = 145;
    ok.isDefault = true;
}

void StatusWindow::onInit() {
    struct Face {
        const char* title;
        const char* body;
        bool okShown;
        bool timer;
    };
    Face face{"", "", true, false};
    switch (m_kind) {
        case Kind::Searching: face = {"Wi-Fi Printer Searching...", "Now searching printers...", false, true}; break;
        case Kind::Saving: face = {"Printer Saving...", "Now saving....", false, true}; break;
        case Kind::SearchFirewallHint:
            face = {"Wi-Fi Printer Searching Results...", "Please, check the firewall...", true, false};
            break;
        case Kind::SettingsSaved: face = {"Printer Settings Saved", "Save Completed !!!", true, false}; break;
        case Kind::ReadCompleted: face = {"Read Wi-Fi information", "Read Completed !!!", true, false}; break;
        case Kind::SaveCompleted: face = {"Save Wi-Fi information", "Save Completed !!!", true, false}; break;
        case Kind::NowSaving: face = {"Now Saving printer settings...", "Now Saving......", true, false}; break;
    }
    m_ticks = 0;
    setTitle(face.title);
    control(kTextId).text = face.body;
    show(kIdOk, face.okShown);
    if (face.timer && m_activity) {
        shell().setTimer(*this, kTimerId, kTickMs);
        m_timerRunning = true;
    }
    // The busy cursor only while the window watches work going on; a result waits for OK
    // with the ordinary cursor.
    if (face.timer) shell().setWaitCursor(true);
}

void StatusWindow::stopTimer() {
    if (m_timerRunning) shell().killTimer(*this, kTimerId);
    m_timerRunning = false;
    shell().setWaitCursor(false);
}

void StatusWindow::onTimer(int timerId) {
    if (timerId != kTimerId || !m_timerRunning || !m_activity) return;
    if (m_kind == Kind::Searching) {
        const uint64_t now = shell().clock().nowMs();
        const uint64_t last = m_activity->searchDoneTimeMs();
        if (m_activity->searchDone() && now > last && now - last > kSearchQuietMs) {
            control(kTextId).text = "Searching Completed !!!";
            setTitle("Wi-Fi Printer Searching");
            stopTimer();
            const int found = m_activity->networkEntryCount() + m_activity->textEntryCount();
            m_activity->setSearchResultCount(found);
            if (found != 0) {
                endDialog(kIdOk);
                return;
            }
            control(kTextId).text = "Cannot search the Wi-Fi printer.\nPlease check the firewall...";
            setTitle("Wi-Fi Printer Searching Results...");
            show(kIdOk, true);
            return;
        }
        shell().setWaitCursor(true);
        shell().repaint(*this);
        return;
    }
    if (m_kind == Kind::Saving) {
        if (m_activity->saveConfirmed()) {
            control(kTextId).text = "Save Completed !!!";
            setTitle("Printer Settings Saved");
            stopTimer();
            show(kIdOk, true);
            return;
        }
        shell().setWaitCursor(true);
        if (++m_ticks >= kSaveTicks) {
            control(kTextId).text = "Save Error !!!";
            setTitle("Save Result");
            stopTimer();
            // The button is shown here too, so the window can be closed like the others.
            show(kIdOk, true);
        }
    }
}

bool StatusWindow::onClosing(int) {
    stopTimer();
    return true;
}

}  // namespace setrion::ui
