#include "gui/win32/win32_shell.h"

#include <algorithm>

#include "common/interrupt.h"
#include "common/utf16_win32.h"
#include "gui/win32/dialog_window.h"

namespace setrion::gui {

using win32::toUtf16;
using win32::toUtf8;

uint64_t Win32PaintingClock::nowMs() {
    return GetTickCount64();
}

void Win32PaintingClock::sleepMs(uint32_t ms) {
    const uint64_t deadline = nowMs() + ms;
    for (;;) {
        // Paint messages only; a window that never validates cannot hold the sleep longer.
        MSG msg;
        for (int i = 0; i < 64 && PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
            DispatchMessageW(&msg);
        const uint64_t now = nowMs();
        if (now >= deadline) return;
        const auto slice = static_cast<DWORD>(std::min<uint64_t>(deadline - now, kSliceMs));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_PAINT);
    }
}

Win32Shell::Win32Shell() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Win32Shell::notifyProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SetrionShellNotify";
    RegisterClassW(&wc);  // fails harmlessly when a second shell registers it again
    m_notify = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    SetWindowLongPtrW(m_notify, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Shell::~Win32Shell() {
    for (auto& [id, key] : m_timerOwners) KillTimer(m_notify, id);
    for (auto& [socket, dialog] : m_sockets)
        WSAAsyncSelect(static_cast<SOCKET>(socket), m_notify, 0, 0);
    if (m_busy) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    DestroyWindow(m_notify);
}

LRESULT CALLBACK Win32Shell::notifyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Shell*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && message == WM_TIMER) {
        auto it = self->m_timerOwners.find(static_cast<UINT_PTR>(wParam));
        if (it != self->m_timerOwners.end()) {
            const TimerKey key = it->second;
            self->deliver(key.dialog, [key] { key.dialog->timer(key.id); });
        }
        return 0;
    }
    if (self != nullptr && message == kSocketMessage) {
        const auto socket = static_cast<SocketHandle>(wParam);
        auto it = self->m_sockets.find(socket);
        if (it != self->m_sockets.end() && WSAGETSELECTEVENT(lParam) == FD_READ) {
            ui::Dialog* dialog = it->second;
            self->deliver(dialog, [dialog, socket] { dialog->socketReadable(socket); });
        }
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

template <class F>
void Win32Shell::deliver(ui::Dialog* dialog, F&& entry) {
    if (DialogWindow* window = windowOf(*dialog)) {
        window->dispatch(entry);
    } else {
        entry();
    }
}

HWND Win32Shell::ownerWindow() const {
    DialogWindow* top = topWindow();
    return top != nullptr ? top->hwnd() : nullptr;
}

int Win32Shell::messageBox(const ui::MessageBox& box) {
    // The program is ending on a signal: nothing more is asked or shown (a question is
    // answered No).
    if (interruptSignal() > 0) return box.buttons == ui::MessageButtons::Ok ? ui::kIdOk : ui::kIdNo;
    UINT flags = box.buttons == ui::MessageButtons::YesNo ? MB_YESNO : MB_OK;
    switch (box.icon) {
        case ui::MessageIcon::None:
            break;
        case ui::MessageIcon::Information:
            flags |= MB_ICONINFORMATION;
            break;
        case ui::MessageIcon::Warning:
            flags |= MB_ICONWARNING;
            break;
        case ui::MessageIcon::Error:
            flags |= MB_ICONERROR;
            break;
        case ui::MessageIcon::Question:
            flags |= MB_ICONQUESTION;
            break;
    }
    const std::wstring caption =
        box.caption.empty() ? std::wstring(kDefaultCaption) : toUtf16(box.caption);
    // A message box is not the place to keep a busy cursor.
    const bool busy = m_busy;
    if (busy) setWaitCursor(false);
    const std::wstring text = toUtf16(box.fullText());
    m_messageCaption = caption;
    m_messageText = text;
    layoutChanged();
    const int answer = MessageBoxW(ownerWindow(), text.c_str(), caption.c_str(), flags | MB_TASKMODAL);
    m_messageCaption.clear();
    m_messageText.clear();
    layoutChanged();
    if (busy) setWaitCursor(true);
    if (box.buttons == ui::MessageButtons::Ok) return ui::kIdOk;
    return answer == IDYES ? ui::kIdYes : ui::kIdNo;
}

namespace {

int CALLBACK folderCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0)
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

}  // namespace

std::optional<std::string> Win32Shell::chooseFolder(const ui::FolderRequest& request) {
    const std::wstring title = toUtf16(request.title);
    const std::wstring start = toUtf16(request.startFolder);
    BROWSEINFOW info{};
    info.hwndOwner = ownerWindow();
    info.lpszTitle = title.c_str();
    // An edit box, the newer dialog style, no new-folder button.
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    info.lpfn = &folderCallback;
    info.lParam = start.empty() ? 0 : reinterpret_cast<LPARAM>(start.c_str());
    const bool busy = m_busy;
    if (busy) setWaitCursor(false);
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (busy) setWaitCursor(true);
    if (chosen == nullptr) return std::nullopt;
    std::wstring path(MAX_PATH * 4, L'\0');
    const BOOL ok =
        SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT);
    CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    path.resize(wcslen(path.c_str()));
    return toUtf8(path);
}

std::wstring saveFilter(const std::string& name, const std::string& patterns) {
    std::wstring filter = toUtf16(name);
    filter.push_back(L'\0');
    filter += toUtf16(patterns);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

std::optional<std::string> Win32Shell::chooseSaveFile(const ui::SaveFileRequest& request) {
    const std::wstring filter = saveFilter(request.filterName, request.filterPatterns);
    const std::wstring folder = toUtf16(request.initialFolder);
    std::wstring file = toUtf16(request.fileName);
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = ownerWindow();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    // The INI file and result.out live in the working folder: the chooser must not move it.
    ofn.Flags =
        OFN_NOCHANGEDIR | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    const bool busy = m_busy;
    if (busy) setWaitCursor(false);
    const BOOL ok = GetSaveFileNameW(&ofn);
    if (busy) setWaitCursor(true);
    if (!ok) return std::nullopt;
    file.resize(wcslen(file.c_str()));
    return toUtf8(file);
}

namespace {

// A dialog opens centred over its owner (the first one in the work area), kept inside the
// work area, as the system's own dialogs are placed.
void placeCentred(HWND hwnd, HWND owner) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT around = work;
    if (owner != nullptr) GetWindowRect(owner, &around);
    RECT r{};
    GetWindowRect(hwnd, &r);
    const LONG width = r.right - r.left;
    const LONG height = r.bottom - r.top;
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::unique_ptr<DialogWindow> Win32Shell::open(ui::Dialog& dialog) {
    HWND owner = ownerWindow();
    auto window = std::make_unique<DialogWindow>(dialog, *this, owner);
    if (window->hwnd() != nullptr) placeCentred(window->hwnd(), owner);
    dialog.init();
    window->render();
    if (!dialog.ended() && window->hwnd() != nullptr) {
        m_shown.push_back(window.get());
        if (dialog.windowVisible()) {
            ShowWindow(window->hwnd(), SW_SHOW);
            // The first control that takes the focus gets it, as a dialog's start does.
            if (HWND first = GetNextDlgTabItem(window->hwnd(), nullptr, FALSE)) SetFocus(first);
        }
    }
    layoutChanged();
    return window;
}

int Win32Shell::runModal(ui::Dialog& dialog) {
    // A window that waits for the user shows the ordinary cursor; the caller's busy cursor
    // comes back when it ends. The window may show its own busy cursor meanwhile.
    const bool callerBusy = m_busy;
    if (callerBusy) setWaitCursor(false);
    HWND owner = ownerWindow();
    std::unique_ptr<DialogWindow> window = open(dialog);
    if (window->hwnd() == nullptr) {
        messageBox({"The window could not be created: " + win32::systemErrorText(GetLastError()),
                    {},
                    ui::MessageButtons::Ok,
                    ui::MessageIcon::Error,
                    {}});
    } else if (!dialog.ended()) {
        if (owner != nullptr) EnableWindow(owner, FALSE);
        MSG msg;
        while (!dialog.ended()) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // every enclosing loop ends too
                break;
            }
            if (got == -1) break;
            if (!IsDialogMessageW(window->hwnd(), &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (owner != nullptr) {
            EnableWindow(owner, TRUE);
            SetActiveWindow(owner);
        }
    }
    window.reset();
    dialogDestroyed(dialog);  // the window is gone: no more timers for it
    setWaitCursor(callerBusy);
    return dialog.result();
}

DialogWindow* Win32Shell::windowOf(const ui::Dialog& dialog) const {
    for (DialogWindow* w : m_windows)
        if (&w->model() == &dialog) return w;
    return nullptr;
}

DialogWindow* Win32Shell::topWindow() const {
    return m_windows.empty() ? nullptr : m_windows.back();
}

bool Win32Shell::isShown(const DialogWindow& window) const {
    return std::find(m_shown.begin(), m_shown.end(), &window) != m_shown.end();
}

void Win32Shell::windowCreated(DialogWindow& window) {
    m_windows.push_back(&window);
}

void Win32Shell::windowDestroyed(DialogWindow& window) {
    std::erase(m_windows, &window);
    std::erase(m_shown, &window);
    layoutChanged();
}

void Win32Shell::layoutChanged() {
    if (m_layout.enabled())
        m_layout.write(controlLayoutJson(m_windows, m_messageCaption, m_messageText));
}

void Win32Shell::setTimer(ui::Dialog& dialog, int timerId, uint32_t intervalMs) {
    killTimer(dialog, timerId);
    const UINT_PTR id = m_nextTimer++;
    if (SetTimer(m_notify, id, std::max<UINT>(intervalMs, USER_TIMER_MINIMUM), nullptr) == 0)
        return;
    m_timers[{&dialog, timerId}] = id;
    m_timerOwners[id] = {&dialog, timerId};
}

void Win32Shell::killTimer(ui::Dialog& dialog, int timerId) {
    auto it = m_timers.find({&dialog, timerId});
    if (it == m_timers.end()) return;
    KillTimer(m_notify, it->second);
    m_timerOwners.erase(it->second);
    m_timers.erase(it);
}

void Win32Shell::watchSocket(ui::Dialog& dialog, SocketHandle socket) {
    if (m_sockets.count(socket) != 0) return;
    // Readiness arrives as a message: no polling. The socket becomes non-blocking.
    if (WSAAsyncSelect(static_cast<SOCKET>(socket), m_notify, kSocketMessage, FD_READ) != 0) return;
    m_sockets[socket] = &dialog;
}

void Win32Shell::unwatchSocket(ui::Dialog& dialog, SocketHandle socket) {
    auto it = m_sockets.find(socket);
    if (it == m_sockets.end() || it->second != &dialog) return;
    WSAAsyncSelect(static_cast<SOCKET>(socket), m_notify, 0, 0);
    m_sockets.erase(it);
    // Notices already queued for it are dropped by notifyProc, which finds no watch.
}

void Win32Shell::setWaitCursor(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void Win32Shell::repaint(ui::Dialog& dialog) {
    if (DialogWindow* window = windowOf(dialog)) {
        window->render();
        RedrawWindow(window->hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void Win32Shell::dialogDestroyed(ui::Dialog& dialog) {
    std::vector<int> timers;
    for (auto& [key, id] : m_timers)
        if (key.dialog == &dialog) timers.push_back(key.id);
    for (int id : timers) killTimer(dialog, id);
    std::vector<SocketHandle> sockets;
    for (auto& [socket, owner] : m_sockets)
        if (owner == &dialog) sockets.push_back(socket);
    for (SocketHandle s : sockets) unwatchSocket(dialog, s);
}

}  // namespace setrion::gui
