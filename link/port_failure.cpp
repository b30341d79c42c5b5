#include "link/port_failure.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/bluetooth_port.h"

namespace setrion {
namespace {

std::string processText(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return "process " + std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

// /proc/locks lines: "1: FLOCK  ADVISORY  WRITE 1234 00:05:1234 0 EOF"; the file is named
// by its file system's device (hex major:minor) and inode.
long flockHolder(const struct stat& st) {
    char key[64];
    std::snprintf(key, sizeof key, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream in(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (!(in >> number >> kind)) continue;
        if (kind == "->") continue;  // a waiter, not a holder
        if (!(in >> mode >> access >> pid >> file)) continue;
        if (file == key && pid > 0) return pid;
    }
    return 0;
}

long uucpLockHolder(const std::string& devicePath) {
    const std::string name = std::filesystem::path(devicePath).filename().string();
    for (const char* folder : {"/run/lock/", "/var/lock/"}) {
        std::ifstream in(folder + ("LCK.." + name));
        long pid = 0;
        if (in >> pid && pid > 0) return pid;
    }
    return 0;
}

}  // namespace

std::string serialPortHolder(const std::string& devicePath) {
    struct stat st {};
    long pid = 0;
    if (::stat(devicePath.c_str(), &st) == 0) pid = flockHolder(st);
    if (pid == 0) {
        std::error_code ec;
        const auto real = std::filesystem::canonical(devicePath, ec);
        pid = uucpLockHolder(ec ? devicePath : real.string());
    }
    return pid > 0 ? processText(pid) : std::string();
}

bool isSessionTerminal(const std::string& devicePath) {
    struct stat st {};
    // /dev/tty is 5:0, /dev/console 5:1.
    return ::stat(devicePath.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) == 5 &&
           minor(st.st_rdev) <= 1;
}

std::string serialOpenFailureReason(const std::string& devicePath, SerialOpenError error) {
    if (isBluetoothPortName(devicePath)) {
        std::string why = bluetoothOpenFailure(devicePath);
        if (!why.empty()) return why;
    }
    switch (error) {
        case SerialOpenError::NotFound:
            return "no such device: " + devicePath;
        case SerialOpenError::Busy: {
            const std::string holder = serialPortHolder(devicePath);
            return devicePath + " is busy: " +
                   (holder.empty() ? "another program holds it" : "held by " + holder);
        }
        case SerialOpenError::PermissionDenied: {
            const std::string group = deviceGroupName(devicePath);
            std::string text = "permission denied on " + devicePath;
            if (!group.empty())
                text += ": join the group " + group + " (sudo usermod -aG " + group +
                        " $USER, then log in again)";
            return text;
        }
        case SerialOpenError::NotATerminal: {
            if (isSessionTerminal(devicePath))
                return devicePath + " is the session's terminal, not a serial port";
            std::error_code ec;
            const auto status = std::filesystem::status(devicePath, ec);
            const char* what = std::filesystem::is_regular_file(status) ? " is a regular file"
                               : std::filesystem::is_directory(status)  ? " is a folder"
                                                                        : "";
            return devicePath + what + (*what ? ", " : " is ") + "not a serial port";
        }
        case SerialOpenError::Settings:
            return devicePath + ": the line settings were refused";
        case SerialOpenError::None:
        case SerialOpenError::Other:
            break;
    }
    return devicePath + ": open failed";
}

std::string deviceIdentity(const std::string& devicePath) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) == 0 && S_ISCHR(st.st_mode))
        return "char " + std::to_string(major(st.st_rdev)) + ":" +
               std::to_string(minor(st.st_rdev));
    std::error_code ec;
    const auto real = std::filesystem::weakly_canonical(devicePath, ec);
    return ec ? devicePath : real.string();
}

}  // namespace setrion
