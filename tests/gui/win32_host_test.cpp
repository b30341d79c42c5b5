// The Win32 host against the same contract as the Qt host: the dialog with a control of every
// kind, driven with the messages a user's input makes.
#include <gtest/gtest.h>

#include <algorithm>

#include "gui/win32/dialog_window.h"
#include "gui/win32/win32_api.h"
#include "gui/win32/win32_shell.h"
#include "tests/gui/kinds_dialog.h"

namespace setrion::gui {
namespace {

using test::KindsDialog;

std::wstring textOf(HWND hwnd) {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd, buf, 256);
    return buf;
}

std::wstring className(HWND hwnd) {
    wchar_t buf[64] = {};
    GetClassNameW(hwnd, buf, 64);
    return buf;
}

// Handles what is queued for `ms` milliseconds, as the program's loop does.
void pump(HWND dialog, DWORD ms = 0) {
    const ULONGLONG end = GetTickCount64() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog == nullptr || !IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (ms > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount64() < end);
}

void type(HWND edit, const std::wstring& text) {
    for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
}

class Win32HostTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{
            sizeof controls, ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    HWND h(int id) const { return window->control(id); }
    HWND field(int ip, int index) const {
        // The fields from left to right.
        std::vector<std::pair<LONG, HWND>> fields;
        for (HWND f = FindWindowExW(h(ip), nullptr, WC_EDITW, nullptr); f != nullptr;
             f = FindWindowExW(h(ip), f, WC_EDITW, nullptr)) {
            RECT r;
            GetWindowRect(f, &r);
            fields.emplace_back(r.left, f);
        }
        std::sort(fields.begin(), fields.end());
        return fields.size() == 4 ? fields[static_cast<size_t>(index)].second : nullptr;
    }
    Win32Shell shell;
    KindsDialog dialog{shell, [](SocketHandle s) {
                           char buf[16];
                           return recv(static_cast<SOCKET>(s), buf, sizeof buf, 0) > 0;
                       }};
    std::unique_ptr<DialogWindow> window = shell.open(dialog);
};

TEST_F(Win32HostTest, EachKindGetsItsControlAtItsMappedRectangle) {
    const std::vector<std::pair<int, std::wstring>> classes{
        {10, L"Static"},   {11, L"Button"},         {12, L"Edit"},
        {13, L"ComboBox"}, {14, L"Button"},         {15, L"Button"},
        {17, L"Static"},   {18, L"SysIPAddress32"}, {19, L"msctls_progress32"},
        {20, L"ListBox"}};
    for (const auto& [id, cls] : classes) {
        ASSERT_NE(h(id), nullptr) << id;
        EXPECT_EQ(_wcsicmp(className(h(id)).c_str(), cls.c_str()), 0) << id;
    }
    RECT du{10, 15, 70, 35};
    MapDialogRect(window->hwnd(), &du);
    RECT r;
    GetWindowRect(h(11), &r);
    MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, du.left);
    EXPECT_EQ(r.top, du.top);
    EXPECT_EQ(r.right, du.right);
    EXPECT_EQ(r.bottom, du.bottom);
    EXPECT_EQ(textOf(window->hwnd()), L"Kinds");
    // The check box and radios are not automatic: the model decides.
    EXPECT_EQ(GetWindowLongW(h(14), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
    EXPECT_EQ(GetWindowLongW(h(15), GWL_STYLE) & BS_TYPEMASK, BS_RADIOBUTTON);
    EXPECT_EQ(GetWindowLongW(h(11), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(Win32HostTest, InitialStateIsShown) {
    EXPECT_EQ(textOf(h(11)), L"Go");
    EXPECT_FALSE(IsWindowEnabled(h(11)));
    EXPECT_FALSE(IsWindowVisible(h(21)));
    EXPECT_TRUE(IsWindowVisible(h(ui::kIdOk)));
    EXPECT_EQ(LOWORD(SendMessageW(window->hwnd(), DM_GETDEFID, 0, 0)), ui::kIdOk);
    EXPECT_EQ(SendMessageW(h(13), CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(h(13), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(h(20), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(textOf(h(17)), L"Label : ");
    EXPECT_EQ(textOf(h(10)), L"Group");
}

TEST_F(Win32HostTest, TypingRunsHandlerLimitAndFilter) {
    dialog.refuse = 'x';
    type(h(12), L"1x2345");
    EXPECT_EQ(dialog.control(12).text, "1234");
    EXPECT_EQ(textOf(h(12)), L"1234");
    EXPECT_TRUE(IsWindowEnabled(h(11)));  // the handler enabled it
    SendMessageW(h(12), EM_SETSEL, 0, -1);
    type(h(12), L"\b");
    EXPECT_EQ(dialog.control(12).text, "");
    EXPECT_FALSE(IsWindowEnabled(h(11)));
    type(field(18, 0), L"1x2");
    EXPECT_EQ(textOf(field(18, 0)), L"12");
}

TEST_F(Win32HostTest, ClickRunsHandlerAndEveryControlIsShownAgain) {
    type(h(12), L"y");
    SendMessageW(h(11), BM_CLICK, 0, 0);
    pump(window->hwnd());
    EXPECT_EQ(dialog.clicks, 1);
    EXPECT_EQ(textOf(h(17)), L"Clicked");
    EXPECT_EQ(SendMessageW(h(19), PBM_GETPOS, 0, 0), 40);
    // A double click on the icon button is a second click.
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(11, BN_DOUBLECLICKED),
                 reinterpret_cast<LPARAM>(h(11)));
    EXPECT_EQ(dialog.clicks, 2);
}

TEST_F(Win32HostTest, SelectionDropDownAndRefusal) {
    SendMessageW(h(13), WM_KEYDOWN, VK_UP, 0);  // the user moves to "7", which the model refuses
    EXPECT_EQ(dialog.control(13).selection, 1);
    EXPECT_EQ(SendMessageW(h(13), CB_GETCURSEL, 0, 0), 1);
    dialog.control(13).items.push_back("9");  // the model refills the list as it drops down
    SendMessageW(h(13), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(SendMessageW(h(13), CB_GETCOUNT, 0, 0), 3);
    SendMessageW(h(13), CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(h(20), LB_SETCURSEL, 2, 0);
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(20, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(h(20)));
    EXPECT_EQ(dialog.control(20).selection, 2);
    EXPECT_EQ(textOf(h(17)), L"c");
}

TEST_F(Win32HostTest, RadiosAndCheckBoxFollowTheModel) {
    SendMessageW(h(15), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(h(15), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(h(16), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(h(15), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageW(h(16), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(h(14), BM_CLICK, 0, 0);
    EXPECT_TRUE(dialog.control(14).checked);
    EXPECT_EQ(SendMessageW(h(14), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Win32HostTest, IpAddressFieldsEditTheOctetsWithoutEchoes) {
    EXPECT_TRUE(SendMessageW(h(18), IPM_ISBLANK, 0, 0));  // empty at start, not 0.0.0.0
    dialog.control(18).setAddress({192, 168, 0, 1});
    window->render();
    EXPECT_EQ(textOf(field(18, 0)), L"192");
    EXPECT_EQ(textOf(h(17)), L"Label : ");  // the control's own notices did not reach the model
    SendMessageW(field(18, 3), EM_SETSEL, 0, -1);
    type(field(18, 3), L"77");
    EXPECT_EQ(dialog.control(18).octets, (std::array<uint8_t, 4>{192, 168, 0, 77}));
    EXPECT_EQ(textOf(h(17)), L"77");
    // A blank field leaves the control without an address; the other fields stay as typed.
    SendMessageW(field(18, 1), EM_SETSEL, 0, -1);
    type(field(18, 1), L"\b");
    EXPECT_FALSE(dialog.control(18).hasAddress);
    EXPECT_EQ(textOf(field(18, 0)), L"192");
}

TEST_F(Win32HostTest, CloseBoxSystemMenuAndEnterReachTheModel) {
    dialog.allowClose = false;
    SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(dialog.ended());
    SendMessageW(window->hwnd(), WM_SYSCOMMAND, 16, 0);
    EXPECT_EQ(dialog.systemCommand, 16);
    EXPECT_EQ(textOf(h(17)), L"about");
    dialog.allowClose = true;
    // Enter in the edit presses the default button, as the program's loop hands it on.
    SetFocus(h(12));
    MSG enter{h(12), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(IsDialogMessageW(window->hwnd(), &enter));
    EXPECT_TRUE(dialog.ended());
    EXPECT_EQ(dialog.result(), ui::kIdOk);
    EXPECT_FALSE(IsWindowVisible(window->hwnd()));
}

TEST_F(Win32HostTest, TimersAndSocketsReachTheModelUntilStopped) {
    shell.setTimer(dialog, 7, 20);
    pump(nullptr, 200);
    EXPECT_GE(dialog.ticks, 3);
    EXPECT_EQ(textOf(h(17)), L"tick " + std::to_wstring(dialog.ticks));
    shell.killTimer(dialog, 7);
    const int seen = dialog.ticks;
    pump(nullptr, 60);
    EXPECT_EQ(dialog.ticks, seen);

    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    int length = sizeof to;
    getsockname(s, reinterpret_cast<sockaddr*>(&to), &length);
    shell.watchSocket(dialog, static_cast<SocketHandle>(s));
    sendto(s, "hi", 2, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    pump(nullptr, 100);
    EXPECT_EQ(dialog.socketReads, 1);
    shell.unwatchSocket(dialog, static_cast<SocketHandle>(s));
    sendto(s, "hi", 2, 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    pump(nullptr, 100);
    EXPECT_EQ(dialog.socketReads, 1);
    closesocket(s);
}

// What a timer does inside a modal loop: acts on the window that is up.
std::function<void()> g_act;
void CALLBACK actOnce(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (g_act) g_act();
}

TEST_F(Win32HostTest, ModalRunWaitsWithTheOrdinaryCursorAndEndsByItsButton) {
    shell.setWaitCursor(true);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
    KindsDialog modal(shell);
    bool busyWhileWaiting = true;
    bool ownerDisabled = false;
    g_act = [&] {
        busyWhileWaiting = shell.waitCursor();
        ownerDisabled = !IsWindowEnabled(window->hwnd());
        SendMessageW(shell.windowOf(modal)->control(ui::kIdOk), BM_CLICK, 0, 0);
    };
    SetTimer(nullptr, 0, 50, &actOnce);
    EXPECT_EQ(shell.runModal(modal), ui::kIdOk);
    EXPECT_FALSE(busyWhileWaiting);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
    EXPECT_TRUE(shell.waitCursor());  // the caller's busy cursor is back
    shell.setWaitCursor(false);
}

TEST_F(Win32HostTest, MessageBoxShowsCaptionTextAndButtons) {
    struct Case {
        ui::MessageBox box;
        int press;
        const wchar_t* caption;
        int answer;
    };
    const std::vector<Case> cases{
        {{"No Response in printer", "Error", ui::MessageButtons::Ok, ui::MessageIcon::Error, {}},
         IDOK,
         L"Error",
         ui::kIdOk},
        {{"Download font to printer ?", "", ui::MessageButtons::YesNo, ui::MessageIcon::Question, {}},
         IDNO,
         L"Setrion",
         ui::kIdNo},
        {{"Download font to printer ?", "Setrion", ui::MessageButtons::YesNo,
          ui::MessageIcon::Question, {}},
         IDYES,
         L"Setrion",
         ui::kIdYes},
    };
    for (const Case& c : cases) {
        std::wstring shownText;
        g_act = [&] {
            HWND box = FindWindowW(L"#32770", c.caption);
            ASSERT_NE(box, nullptr);
            wchar_t text[128] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 128);
            shownText = text;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.press, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, c.press)));
        };
        SetTimer(nullptr, 0, 100, &actOnce);
        EXPECT_EQ(shell.messageBox(c.box), c.answer) << c.box.text;
        EXPECT_EQ(shownText, std::wstring(c.box.text.begin(), c.box.text.end()));
    }
}

TEST_F(Win32HostTest, SaveFilterIsTheWin32Form) {
    const std::wstring f = saveFilter("Font File(*.tfd)", "*.tfd;*.doc");
    EXPECT_EQ(f, std::wstring(L"Font File(*.tfd)\0*.tfd;*.doc\0\0", 30));
}

TEST(Win32PaintingClockTest, SleepPaintsButRunsNoTimers) {
    Win32Shell shell;
    KindsDialog dialog(shell);
    auto window = shell.open(dialog);
    shell.setTimer(dialog, 1, 10);
    const uint64_t start = shell.clock().nowMs();
    shell.clock().sleepMs(80);
    EXPECT_GE(shell.clock().nowMs() - start, 80u);
    EXPECT_EQ(dialog.ticks, 0);
    EXPECT_TRUE(GetUpdateRect(window->hwnd(), nullptr, FALSE) == FALSE);  // painted meanwhile
}

}  // namespace
}  // namespace setrion::gui
