#include "link/port_opening.h"

namespace setrion {

PortOpenResult openPrinterPort(std::string_view portName, const SerialSettings& settings,
                               const PortMap& portMap, Spooler& spooler, PortOpener& opener,
                               const EnvLookup& env) {
    PortOpenResult result;
    std::string error;
    auto port = resolvePort(portName, portMap, &error, env);
    if (!port) {
        result.status = PortOpenResult::Status::BadPort;
        result.error = error.empty() ? "unknown port" : error;
        return result;
    }
    const bool usb = port->kind == ResolvedPort::Kind::Usb;
    result.kind = usb ? LinkKind::Usb : LinkKind::Serial;

    // USB printers are not addressed by a device path in a queue's URI: no check for them.
    const DriverConflictCheck check = checkDriverConflict(spooler, usb ? std::string() : port->device);
    result.enumerationFailed = check.enumerationFailed;
    if (check.conflict) {
        result.status = PortOpenResult::Status::DriverConflict;
        result.conflict = check.conflict;
        return result;
    }
    if (!usb) {
        if (opener.openSerial(port->device, settings) != 0) {
            opener.serial().close();
            result.status = PortOpenResult::Status::SerialOpenFailed;
        }
    } else if (opener.openUsb() != 0) {
        opener.usb().close();
        result.status = PortOpenResult::Status::UsbOpenFailed;
    }
    return result;
}

std::optional<PortOpenMessage> portOpenFailureMessage(const PortOpenResult& r) {
    switch (r.status) {
        case PortOpenResult::Status::Opened: return std::nullopt;
        case PortOpenResult::Status::DriverConflict:
            return PortOpenMessage{driverConflictMessage(*r.conflict), kDriverConflictCaption};
        case PortOpenResult::Status::BadPort:
        case PortOpenResult::Status::SerialOpenFailed:
            return PortOpenMessage{"Serial Port Open Failed", "Error"};
        case PortOpenResult::Status::UsbOpenFailed:
            return PortOpenMessage{"USB Port Open Failed", "Error"};
    }
    return std::nullopt;
}

}  // namespace setrion
