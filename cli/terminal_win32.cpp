#include <windows.h>

#include "cli/terminal.h"

namespace setrion::cli {
namespace {

HANDLE handleOf(int fd) { return ::GetStdHandle(fd == 1 ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

}  // namespace

// A console, not a file or pipe: only a console has a screen buffer.
bool fdIsTerminal(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    return ::GetConsoleScreenBufferInfo(handleOf(fd), &info) != 0;
}

size_t terminalRows(int fd) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(handleOf(fd), &info)) return 0;
    const int rows = info.srWindow.Bottom - info.srWindow.Top + 1;
    return rows > 0 ? static_cast<size_t>(rows) : 0;
}

}  // namespace setrion::cli
