// The console's termination events on Windows: Ctrl+C and Ctrl+Break stand for SIGINT, the
// console's close, log-off and shutdown for SIGTERM.
#include <signal.h>
#include <windows.h>

#include <atomic>

#include "common/interrupt.h"

namespace setrion {
namespace {

std::atomic<bool> g_signalled{false};

BOOL WINAPI onConsoleEvent(DWORD event) {
    const int signal = (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) ? SIGINT : SIGTERM;
    if (g_signalled.exchange(true)) ::ExitProcess(static_cast<UINT>(128 + signal));
    requestInterrupt(signal);
    return TRUE;
}

}  // namespace

void installInterruptHandlers() {
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// Windows removes nothing on a second event: the demo's simulators do not run there.
void removeOnAbruptExit(const std::string&) {}
void forgetOnAbruptExit(const std::string&) {}

// Children are not tied to their parent here (a job object would do it).
void endWithParent(long) {}

long currentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

}  // namespace setrion
