#include "link/driver_conflict.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace setrion {
namespace {

// "COMn" for a Windows COM port name ("COM3:", "com3", "\\.\COM3"), empty for anything else.
std::string comPortKey(std::string_view name) {
    if (name.substr(0, 4) == "\\\\.\\" || name.substr(0, 4) == "\\\\?\\") name.remove_prefix(4);
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    if (name.size() < 4 || name.size() > 6) return {};
    for (size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) return {};
    std::string_view digits = name.substr(3);
    if (digits.front() == '0') return {};
    for (char c : digits)
        if (c < '0' || c > '9') return {};
    return "COM" + std::string(digits);
}

}  // namespace

std::string deviceOfUri(std::string_view uri) {
    // A Windows spooler's port is a name, not a URI: "COM3:" prints to \\.\COM3.
    if (std::string com = comPortKey(uri); !com.empty() && uri.substr(0, 2) != "\\\\")
        return "\\\\.\\" + com;
    const size_t colon = uri.find(':');
    if (colon == std::string_view::npos || colon == 0) return {};
    std::string_view rest = uri.substr(colon + 1);
    if (rest.substr(0, 3) == "///") rest.remove_prefix(2);  // "serial:///dev/ttyS0"
    if (rest.empty() || rest.front() != '/' || rest.substr(0, 2) == "//") return {};
    const size_t end = rest.find_first_of("?#");
    return std::string(rest.substr(0, end));
}

static bool sameDevice(const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (std::string com = comPortKey(a); !com.empty()) return com == comPortKey(b);
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

DriverConflictCheck checkDriverConflict(Spooler& spooler, const std::string& devicePath) {
    DriverConflictCheck check;
    if (devicePath.empty()) return check;
    auto queues = spooler.queues();
    if (!queues) {
        check.enumerationFailed = true;
        return check;
    }
    for (const SpoolerQueue& q : *queues) {
        const std::string device = deviceOfUri(q.deviceUri);
        if (!device.empty() && sameDevice(device, devicePath)) {
            check.conflict = DriverConflict{q.name, q.deviceUri, q.driverName};
            break;
        }
    }
    return check;
}

std::string driverConflictMessage(const DriverConflict& c) {
    return "The port(" + c.portName + ") is already occupied in windows printer driver(" +
           c.printerName + ").\n\nSo, please change your printer driver port from " + c.portName +
           " to other port\n\nand execute again.";
}

std::string driverConflictTrace(const DriverConflict& c) {
    return "PrinterName = " + c.printerName + " PortName=" + c.portName + " DriverName=" + c.driverName;
}

}  // namespace setrion
