#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "common/clock.h"
#include "common/socket_handle.h"

namespace setrion::ui {

class Dialog;

// Dialog results and message-box answers (the usual numbering of dialog systems).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Warning, Error, Question };

// One message box. An empty caption means the application's default caption ("Setrion").
struct MessageBox {
    std::string text;
    std::string caption;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // A second paragraph under the text (why it failed, what to do); empty for none.
    std::string detail;
    // Text and detail as one text, for a host whose box shows a single text.
    std::string fullText() const { return detail.empty() ? text : text + "\n\n" + detail; }
};

// The system's folder chooser.
struct FolderRequest {
    std::string title;
    std::string startFolder;  // shown first; empty for the chooser's own choice
};

// The system's save-file chooser.
struct SaveFileRequest {
    std::string filterName;     // e.g. "Font File(*.tfd)"
    std::string filterPatterns; // ';'-separated, e.g. "*.tfd;*.doc"
    std::string initialFolder;
    std::string fileName;       // proposed name, may be empty
};

// What the windowing system gives a dialog model. gui/qt and gui/win32 implement it; tests use
// ui::testing::ScriptedShell. Every call is made on the user-interface thread.
class Shell {
public:
    virtual ~Shell() = default;

    // Shows a modal message box; returns kIdOk, or kIdYes / kIdNo for a Yes/No question.
    virtual int messageBox(const MessageBox& box) = 0;
    int message(std::string text, std::string caption = {},
                MessageIcon icon = MessageIcon::None) {
        return messageBox({std::move(text), std::move(caption), MessageButtons::Ok, icon, {}});
    }
    int question(std::string text, std::string caption = {}) {
        return messageBox({std::move(text),
                           std::move(caption),
                           MessageButtons::YesNo,
                           MessageIcon::Question,
                           {}});
    }

    // Modal choosers: the chosen path, or nullopt when the user cancels. Neither changes the
    // process's working folder.
    virtual std::optional<std::string> chooseFolder(const FolderRequest& request) = 0;
    virtual std::optional<std::string> chooseSaveFile(const SaveFileRequest& request) = 0;

    // Shows `dialog` modally over the current top dialog: the host calls dialog.init(), routes
    // user input and timers to it until dialog.ended(), then returns dialog.result().
    virtual int runModal(Dialog& dialog) = 0;

    // A repeating timer: dialog.timer(timerId) every `intervalMs` until killed. Setting an
    // existing id again restarts it with the new interval.
    virtual void setTimer(Dialog& dialog, int timerId, uint32_t intervalMs) = 0;
    virtual void killTimer(Dialog& dialog, int timerId) = 0;

    // Calls dialog.socketReadable(socket) whenever `socket` has data to read, until unwatched.
    virtual void watchSocket(Dialog& dialog, SocketHandle socket) = 0;
    virtual void unwatchSocket(Dialog& dialog, SocketHandle socket) = 0;

    // Shows or removes the busy cursor.
    virtual void setWaitCursor(bool busy) = 0;
    // Re-reads the dialog's controls and paints them now (used inside long handlers).
    virtual void repaint(Dialog& dialog) = 0;

    // The clock every pause and poll of a dialog's operations goes through.
    virtual Clock& clock() = 0;

    // Called by ~Dialog: forget the dialog's timers and socket watches.
    virtual void dialogDestroyed(Dialog& dialog) = 0;
};

}  // namespace setrion::ui
