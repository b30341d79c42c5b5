// Why a COM port did not open, on Windows: the reasons come from CreateFile's error (see
// serial_link_win32.cpp); the system does not tell which program holds a port.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "link/port_failure.h"

namespace setrion {
namespace {

// "\\.\COM7" -> "COM7": the name the user knows the port by.
std::string shownName(const std::string& devicePath) {
    const std::string prefix = "\\\\.\\";
    return devicePath.rfind(prefix, 0) == 0 ? devicePath.substr(prefix.size()) : devicePath;
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

std::string serialPortHolder(const std::string&) {
    return {};
}

bool isSessionTerminal(const std::string& devicePath) {
    const std::string name = upper(shownName(devicePath));
    return name == "CON" || name == "CONIN$" || name == "CONOUT$";
}

std::string serialOpenFailureReason(const std::string& devicePath, SerialOpenError error) {
    const std::string name = shownName(devicePath);
    switch (error) {
        case SerialOpenError::NotFound:
            return "no such device: " + name;
        case SerialOpenError::Busy:
            return name + " is busy: another program holds it";
        case SerialOpenError::PermissionDenied:
            return "permission denied on " + name;
        case SerialOpenError::NotATerminal:
            return name + " is not a serial port";
        case SerialOpenError::Settings:
            return name + ": the line settings were refused";
        case SerialOpenError::None:
        case SerialOpenError::Other:
            break;
    }
    return name + ": open failed";
}

// COM names are case-blind and reached with or without the device namespace prefix.
std::string deviceIdentity(const std::string& devicePath) {
    const std::string name = shownName(devicePath);
    if (upper(name).rfind("COM", 0) == 0) return upper(name);
    std::error_code ec;
    const auto real = std::filesystem::weakly_canonical(name, ec);
    return ec ? name : upper(real.string());
}

}  // namespace setrion
