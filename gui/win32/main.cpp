// setrion.exe: the desktop program on Windows. Shows the main settings dialog until it is
// closed, through the Win32 host of the dialog models.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/startup.h"
#include "common/interrupt.h"
#include "common/trace.h"
#include "common/utf16_win32.h"
#include "gui/main_session.h"
#include "gui/session_options.h"
#include "gui/win32/win32_api.h"
#include "gui/win32/win32_shell.h"
#include "setrion_version.h"
#include "ui/wifi/wifi_ini_file.h"
#include "wifi/net/udp_socket.h"
#include "wifi/settings/wifi_ini.h"

namespace {

using namespace setrion;

std::vector<std::string> commandLineArguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(win32::toUtf8(wide[i]));
    LocalFree(wide);
    return args;
}

// Text for the user outside any dialog: on the console the program was started from, or in a
// message box when it has none.
void report(const std::string& text, bool error) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        const std::wstring wide = win32::toUtf16(text);
        DWORD written = 0;
        if (GetFileType(out) == FILE_TYPE_CHAR) {
            WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        } else {  // redirected to a file or pipe: the bytes as they are
            WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        }
        FreeConsole();
        return;
    }
    MessageBoxW(nullptr, win32::toUtf16(text).c_str(), L"Setrion",
                error ? MB_OK | MB_ICONERROR : MB_OK);
}

void CALLBACK watchInterrupt(HWND, UINT, UINT_PTR, DWORD) {
    if (interruptSignal() > 0) PostQuitMessage(interruptExitCode());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    installInterruptHandlers();
    gui::SessionOptions options;
    if (const std::string why = gui::parseSessionOptions(commandLineArguments(), options);
        !why.empty()) {
        report("setrion: " + why + "\n", true);
        return 1;
    }
    if (options.help) {
        report(gui::sessionHelpText(), false);
        return 0;
    }
    if (options.version) {
        report(std::string("setrion ") + SETRION_VERSION + "\n", false);
        return 0;
    }
    if (options.trace) setTraceEnabled(true);

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_INTERNET_CLASSES |
                                                       ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder chooser is a shell object.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    // UTF-8 text from the command line reaches the system as UTF-16.
    const std::filesystem::path wifiIniPath =
        options.wifiIni ? std::filesystem::path(win32::toUtf16(*options.wifiIni))
                        : wifi::defaultWifiIniPath();
    trace("Wi-Fi INI file: " + win32::pathText(wifiIniPath));
    ui::WifiIniFileAccess wifiIniFile(wifiIniPath);
    PortMap ports;
    if (const std::string why = gui::parsePortMappings(options.mappings, ports); !why.empty()) {
        report("setrion: " + why + "\n", true);
        return 1;
    }

    SetTimer(nullptr, 0, 100, &watchInterrupt);
    int rc = 0;
    {
        gui::Win32Shell shell;
        gui::MainSession session(shell, std::move(ports), nullptr, &wifiIniFile);
        session.setNetConfig(options.net);
        app::StartupSteps steps;
        // The network search needs datagram sockets; without them the program cannot work.
        steps.initSockets = [] {
            net::UdpOptions udp;
            udp.broadcast = false;
            int error = 0;
            return net::openUdpSocket(udp, error) != nullptr;
        };
        steps.runMainDialog = [&] { shell.runModal(session.dialog()); };
        steps.showMessage = [&](const std::string& text) { shell.message(text); };
        std::vector<std::string> args{"setrion"};
        args.insert(args.end(), options.startupArgs.begin(), options.startupArgs.end());
        rc = app::runStartup(steps, args).exitCode;
    }
    CoUninitialize();
    return interruptSignal() > 0 ? interruptExitCode() : rc;
}
