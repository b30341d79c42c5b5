#include "link/driver_conflict.h"

#include <filesystem>
#include <system_error>

namespace setrion {

std::string deviceOfUri(std::string_view uri) {
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
