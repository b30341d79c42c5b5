#pragma once
#include <cstddef>

namespace setrion::cli {

// Whether the standard stream `fd` (1 or 2) is a terminal.
bool fdIsTerminal(int fd);
// The terminal's height in rows, 0 when it cannot be told.
size_t terminalRows(int fd);

}  // namespace setrion::cli
