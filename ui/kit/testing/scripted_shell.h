#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "ui/kit/dialog.h"
#include "ui/kit/shell.h"

namespace setrion::ui::testing {

// A Shell for dialog-model tests. Time is a ManualClock; timers fire only while a modal
// dialog waits for input or through advance(). A sleep of an operation under test moves the
// clock without delivering timers, as in the desktop program (its clock paints while it
// sleeps but runs no timers); tests may install their own sleep hook on manualClock(). Every message box and
// every modal dialog is recorded; Yes/No questions are answered from a script.
class ScriptedShell final : public Shell {
public:
    struct ModalRun {
        int templateId = 0;
        std::string titleAtStart;
        std::string titleAtEnd;
        // Text of every Static control when the dialog ended, by id.
        std::map<int, std::string> staticsAtEnd;
        int result = 0;
        uint64_t startMs = 0;
        uint64_t endMs = 0;
        bool closedByShell = false;  // still open after the time bound: ended with kIdOk
    };
    // Drives a modal dialog after its init(); may click, select, advance the clock...
    using ModalScript = std::function<void(Dialog&, ScriptedShell&)>;

    ScriptedShell();
    ~ScriptedShell() override;

    // ---- scripting ---------------------------------------------------------------------
    // Answers for the coming Yes/No questions, in order. An unscripted question gets kIdNo
    // and is counted in unscriptedQuestions().
    void answerQuestions(std::initializer_list<int> answers);
    // Answers for the coming folder and save-file choosers, in order; nullopt cancels. An
    // unscripted chooser is cancelled.
    void answerFolders(std::initializer_list<std::optional<std::string>> answers);
    void answerSaveFiles(std::initializer_list<std::optional<std::string>> answers);
    // The next modal dialog with this template id is driven by `script` (once).
    void onNextModal(int templateId, ModalScript script);
    // An unscripted modal dialog runs its timers until it ends by itself, for at most this
    // much simulated time; then the shell ends it with kIdOk. Default 60 s.
    void setModalTimeBoundMs(uint64_t ms) { m_modalBoundMs = ms; }
    // Moves the clock forward, firing every timer that falls due on the way, in time order.
    void advance(uint64_t ms);

    // ---- observations ------------------------------------------------------------------
    const std::vector<MessageBox>& messages() const { return m_messages; }
    const MessageBox* lastMessage() const { return m_messages.empty() ? nullptr : &m_messages.back(); }
    void clearMessages() { m_messages.clear(); }
    const std::vector<FolderRequest>& folderRequests() const { return m_folderRequests; }
    const std::vector<SaveFileRequest>& saveFileRequests() const { return m_saveRequests; }
    const std::vector<ModalRun>& modalRuns() const { return m_modals; }
    int unscriptedQuestions() const { return m_unscripted; }
    bool waitCursor() const { return m_waitCursor; }
    int repaints() const { return m_repaints; }
    bool timerActive(const Dialog& dialog, int timerId) const;
    bool watching(const Dialog& dialog, SocketHandle socket) const;
    ManualClock& manualClock() { return m_clock; }

    // ---- Shell -------------------------------------------------------------------------
    int messageBox(const MessageBox& box) override;
    int runModal(Dialog& dialog) override;
    std::optional<std::string> chooseFolder(const FolderRequest& request) override;
    std::optional<std::string> chooseSaveFile(const SaveFileRequest& request) override;
    void setTimer(Dialog& dialog, int timerId, uint32_t intervalMs) override;
    void killTimer(Dialog& dialog, int timerId) override;
    void watchSocket(Dialog& dialog, SocketHandle socket) override;
    void unwatchSocket(Dialog& dialog, SocketHandle socket) override;
    void setWaitCursor(bool busy) override { m_waitCursor = busy; }
    void repaint(Dialog&) override { ++m_repaints; }
    Clock& clock() override { return m_clock; }
    void dialogDestroyed(Dialog& dialog) override;

private:
    struct Timer {
        Dialog* dialog;
        int id;
        uint32_t interval;
        uint64_t due;
    };
    void fireDueTimers(uint64_t untilMs);
    bool nextDue(uint64_t& due) const;

    ManualClock m_clock;
    std::vector<Timer> m_timers;
    std::vector<std::pair<Dialog*, SocketHandle>> m_watches;
    std::deque<int> m_answers;
    std::deque<std::optional<std::string>> m_folderAnswers;
    std::deque<std::optional<std::string>> m_saveAnswers;
    std::vector<FolderRequest> m_folderRequests;
    std::vector<SaveFileRequest> m_saveRequests;
    std::map<int, std::deque<ModalScript>> m_scripts;
    std::vector<MessageBox> m_messages;
    std::vector<ModalRun> m_modals;
    uint64_t m_modalBoundMs = 60'000;
    int m_unscripted = 0;
    int m_repaints = 0;
    bool m_waitCursor = false;
};

}  // namespace setrion::ui::testing
