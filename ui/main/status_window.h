#pragma once
#include "ui/kit/dialog.h"
#include "ui/main/network_activity.h"

namespace setrion::ui {

// The status window (template 106): progress and result of the Wi-Fi reading, saving and
// network search, one text (static 1165) and an OK button (icon 145). Kinds 0 (searching)
// and 1 (saving) poll the network activity once a second and end or report by themselves;
// the others show a fixed result and wait for OK.
class StatusWindow final : public Dialog {
public:
    enum class Kind : int {
        Searching = 0,
        Saving = 1,
        SearchFirewallHint = 100,
        SettingsSaved = 101,
        ReadCompleted = 102,
        SaveCompleted = 103,
        NowSaving = 104,
    };
    static constexpr int kTemplateId = 106;
    static constexpr int kTextId = 1165;
    static constexpr int kTimerId = 1;
    static constexpr uint32_t kTickMs = 1000;
    static constexpr uint64_t kSearchQuietMs = 1500;  // quiet time after the last answer
    static constexpr int kSaveTicks = 7;              // ticks without a confirmation

    // `activity` is needed by kinds 0 and 1 only; it must outlive the window.
    StatusWindow(Shell& shell, Kind kind, NetworkActivity* activity = nullptr);
    int tickCount() const { return m_ticks; }

protected:
    void onInit() override;
    void onTimer(int timerId) override;
    bool onClosing(int result) override;

private:
    void stopTimer();
    Kind m_kind;
    NetworkActivity* m_activity;
    int m_ticks = 0;
    bool m_timerRunning = false;
};

}  // namespace setrion::ui
