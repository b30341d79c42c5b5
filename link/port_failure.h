#pragma once
#include <string>

#include "link/serial_link.h"

namespace setrion {

// The process that holds a serial device, as the system tells: a flock() on the device
// (/proc/locks) or a UUCP lock file (LCK..NAME in /run/lock or /var/lock).
// "process 1234 (minicom)", or "" when nothing tells.
std::string serialPortHolder(const std::string& devicePath);

// One line on why a serial device did not open, for the user:
//   "/dev/ttyUSB0 is busy: held by process 1234 (minicom)"
//   "no such device: /dev/ttyUSB7"
//   "/tmp/x is a regular file, not a serial port"
//   "permission denied on /dev/ttyS0: join the group dialout (...)"
std::string serialOpenFailureReason(const std::string& devicePath, SerialOpenError error);

// True for the devices that are this session's terminal or the console whatever their
// name (/dev/tty, /dev/console): a port opened there would take over the user's terminal.
bool isSessionTerminal(const std::string& devicePath);

// A key that is equal for two names of the same device (a by-id link and ttyUSB0, "./x"
// and "x"): the device number of a character device, else the canonical path, else the
// name itself.
std::string deviceIdentity(const std::string& devicePath);

}  // namespace setrion
