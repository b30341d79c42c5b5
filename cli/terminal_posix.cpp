#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/terminal.h"

namespace setrion::cli {

bool fdIsTerminal(int fd) { return ::isatty(fd) == 1; }

size_t terminalRows(int fd) {
    winsize ws{};
    if (::ioctl(fd, TIOCGWINSZ, &ws) != 0 || ws.ws_row == 0) return 0;
    return ws.ws_row;
}

}  // namespace setrion::cli
