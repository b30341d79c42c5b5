#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/win32/control_layout.h"
#include "gui/win32/win32_api.h"
#include "ui/kit/shell.h"

namespace setrion::gui {

class DialogWindow;

// The desktop program's clock on Windows. While an operation sleeps, the windows keep
// painting: only paint messages are handled, no input, timers or socket notices, so no
// dialog handler runs in the middle of another one.
class Win32PaintingClock final : public Clock {
  public:
    uint64_t nowMs() override;
    void sleepMs(uint32_t ms) override;
    static constexpr uint32_t kSliceMs = 5;
};

// The Shell of the Win32 desktop program: MessageBoxW, modal dialog windows with their own
// message loop, SetTimer timers and WSAAsyncSelect socket notices on a message-only window,
// the common file and folder choosers, the wait cursor, and a clock that keeps painting.
class Win32Shell final : public ui::Shell {
  public:
    Win32Shell();
    ~Win32Shell() override;
    Win32Shell(const Win32Shell&) = delete;
    Win32Shell& operator=(const Win32Shell&) = delete;

    int messageBox(const ui::MessageBox& box) override;
    int runModal(ui::Dialog& dialog) override;
    std::optional<std::string> chooseFolder(const ui::FolderRequest& request) override;
    std::optional<std::string> chooseSaveFile(const ui::SaveFileRequest& request) override;
    void setTimer(ui::Dialog& dialog, int timerId, uint32_t intervalMs) override;
    void killTimer(ui::Dialog& dialog, int timerId) override;
    void watchSocket(ui::Dialog& dialog, SocketHandle socket) override;
    void unwatchSocket(ui::Dialog& dialog, SocketHandle socket) override;
    void setWaitCursor(bool busy) override;
    void repaint(ui::Dialog& dialog) override;
    Clock& clock() override { return m_clock; }
    void dialogDestroyed(ui::Dialog& dialog) override;

    // Builds, initialises and shows the dialog's window without waiting for it to end; the
    // caller owns the window and keeps the dialog alive as long. runModal() uses it too.
    std::unique_ptr<DialogWindow> open(ui::Dialog& dialog);
    DialogWindow* windowOf(const ui::Dialog& dialog) const;
    DialogWindow* topWindow() const;
    bool waitCursor() const { return m_busy; }
    bool isShown(const DialogWindow& window) const;

    // Called by DialogWindow.
    void windowCreated(DialogWindow& window);
    void windowDestroyed(DialogWindow& window);
    // A window was rendered, shown or hidden: the layout file follows (when it is kept).
    void layoutChanged();

    static constexpr const wchar_t* kDefaultCaption = L"Setrion";
    // The message the socket notices arrive with.
    static constexpr UINT kSocketMessage = WM_APP + 1;

  private:
    static LRESULT CALLBACK notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    template <class F>
    void deliver(ui::Dialog* dialog, F&& entry);
    HWND ownerWindow() const;

    Win32PaintingClock m_clock;
    HWND m_notify = nullptr;               // message-only window for timers and socket notices
    std::vector<DialogWindow*> m_windows;  // bottom to top
    std::vector<const DialogWindow*> m_shown;
    struct TimerKey {
        ui::Dialog* dialog;
        int id;
        auto operator<=>(const TimerKey&) const = default;
    };
    std::map<TimerKey, UINT_PTR> m_timers;
    std::map<UINT_PTR, TimerKey> m_timerOwners;
    UINT_PTR m_nextTimer = 1;
    std::map<SocketHandle, ui::Dialog*> m_sockets;
    bool m_busy = false;
    ControlLayoutFile m_layout;
    std::wstring m_messageCaption;  // the message box being shown
    std::wstring m_messageText;
};

// The filter string of the save chooser: "Font File(*.tfd)" with "*.tfd;*.doc" gives
// "Font File(*.tfd)\0*.tfd;*.doc\0\0".
std::wstring saveFilter(const std::string& name, const std::string& patterns);

}  // namespace setrion::gui
