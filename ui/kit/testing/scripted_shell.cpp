#include "ui/kit/testing/scripted_shell.h"

#include <algorithm>

namespace setrion::ui::testing {

ScriptedShell::ScriptedShell() = default;
ScriptedShell::~ScriptedShell() = default;

void ScriptedShell::answerQuestions(std::initializer_list<int> answers) {
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
}

void ScriptedShell::answerFolders(std::initializer_list<std::optional<std::string>> answers) {
    m_folderAnswers.insert(m_folderAnswers.end(), answers.begin(), answers.end());
}

void ScriptedShell::answerSaveFiles(std::initializer_list<std::optional<std::string>> answers) {
    m_saveAnswers.insert(m_saveAnswers.end(), answers.begin(), answers.end());
}

namespace {
std::optional<std::string> nextAnswer(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> a = std::move(answers.front());
    answers.pop_front();
    return a;
}
}  // namespace

std::optional<std::string> ScriptedShell::chooseFolder(const FolderRequest& request) {
    m_folderRequests.push_back(request);
    return nextAnswer(m_folderAnswers);
}

std::optional<std::string> ScriptedShell::chooseSaveFile(const SaveFileRequest& request) {
    m_saveRequests.push_back(request);
    return nextAnswer(m_saveAnswers);
}

void ScriptedShell::onNextModal(int templateId, ModalScript script) {
    m_scripts[templateId].push_back(std::move(script));
}

int ScriptedShell::messageBox(const MessageBox& box) {
    m_messages.push_back(box);
    if (box.buttons == MessageButtons::Ok) return kIdOk;
    if (m_answers.empty()) {
        ++m_unscripted;
        return kIdNo;
    }
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

int ScriptedShell::runModal(Dialog& dialog) {
    ModalRun run;
    run.templateId = dialog.templateId();
    run.startMs = m_clock.nowMs();
    dialog.init();
    run.titleAtStart = dialog.title();
    auto it = m_scripts.find(dialog.templateId());
    if (it != m_scripts.end() && !it->second.empty()) {
        ModalScript script = std::move(it->second.front());
        it->second.pop_front();
        if (!dialog.ended()) script(dialog, *this);
    }
    const uint64_t bound = m_clock.nowMs() + m_modalBoundMs;
    uint64_t due = 0;
    while (!dialog.ended() && nextDue(due) && due <= bound) {
        if (due > m_clock.nowMs()) m_clock.advance(due - m_clock.nowMs());
        fireDueTimers(due);
    }
    if (!dialog.ended()) {
        run.closedByShell = true;
        dialog.requestClose(kIdOk);
        if (!dialog.ended()) dialog.requestClose(kIdCancel);
    }
    run.titleAtEnd = dialog.title();
    for (const Control* c : dialog.controls())
        if (c->kind == ControlKind::Static) run.staticsAtEnd[c->id] = c->text;
    run.result = dialog.result();
    run.endMs = m_clock.nowMs();
    dialogDestroyed(dialog);  // its window is gone: no more timers for it
    m_modals.push_back(run);
    return run.result;
}

void ScriptedShell::setTimer(Dialog& dialog, int timerId, uint32_t intervalMs) {
    killTimer(dialog, timerId);
    m_timers.push_back({&dialog, timerId, intervalMs, m_clock.nowMs() + intervalMs});
}

void ScriptedShell::killTimer(Dialog& dialog, int timerId) {
    std::erase_if(m_timers, [&](const Timer& t) { return t.dialog == &dialog && t.id == timerId; });
}

void ScriptedShell::watchSocket(Dialog& dialog, SocketHandle socket) {
    if (!watching(dialog, socket)) m_watches.emplace_back(&dialog, socket);
}

void ScriptedShell::unwatchSocket(Dialog& dialog, SocketHandle socket) {
    std::erase(m_watches, std::pair<Dialog*, SocketHandle>(&dialog, socket));
}

void ScriptedShell::dialogDestroyed(Dialog& dialog) {
    std::erase_if(m_timers, [&](const Timer& t) { return t.dialog == &dialog; });
    std::erase_if(m_watches, [&](const auto& w) { return w.first == &dialog; });
}

bool ScriptedShell::timerActive(const Dialog& dialog, int timerId) const {
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&](const Timer& t) { return t.dialog == &dialog && t.id == timerId; });
}

bool ScriptedShell::watching(const Dialog& dialog, SocketHandle socket) const {
    return std::find(m_watches.begin(), m_watches.end(),
                     std::pair<Dialog*, SocketHandle>(const_cast<Dialog*>(&dialog), socket)) != m_watches.end();
}

bool ScriptedShell::nextDue(uint64_t& due) const {
    if (m_timers.empty()) return false;
    due = std::min_element(m_timers.begin(), m_timers.end(),
                           [](const Timer& a, const Timer& b) { return a.due < b.due; })
              ->due;
    return true;
}

void ScriptedShell::advance(uint64_t ms) {
    const uint64_t target = m_clock.nowMs() + ms;
    uint64_t due = 0;
    while (nextDue(due) && due <= target) {
        if (due > m_clock.nowMs()) m_clock.advance(due - m_clock.nowMs());
        fireDueTimers(due);
    }
    if (target > m_clock.nowMs()) m_clock.advance(target - m_clock.nowMs());
}

void ScriptedShell::fireDueTimers(uint64_t untilMs) {
    for (;;) {
        auto it = std::min_element(m_timers.begin(), m_timers.end(),
                                   [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (it == m_timers.end() || it->due > untilMs) break;
        Dialog* dialog = it->dialog;
        int id = it->id;
        it->due += std::max<uint32_t>(it->interval, 1);
        dialog->timer(id);  // may kill or add timers
    }
}

}  // namespace setrion::ui::testing
