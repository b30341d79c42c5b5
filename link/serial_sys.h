#pragma once
// The system calls behind SerialLink: termios on POSIX, the Win32 communications API on
// Windows. Each is an interface so tests can inject failures.
#ifdef _WIN32
#include "link/serial_sys_win32.h"
#else
#include "link/serial_sys_posix.h"
#endif
