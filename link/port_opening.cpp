#include "link/port_opening.h"

#include "link/port_failure.h"

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
            result.serialError = opener.lastSerialOpenError();
            opener.serial().close();
            result.status = PortOpenResult::Status::SerialOpenFailed;
            result.device = port->device;
            // A list name "COMn" that resolved to the system's default for it.
            for (int n = 1; n <= maxComPortNumber() && !result.unmappedCom; ++n)
                result.unmappedCom = portName == "COM" + std::to_string(n) &&
                                     port->device == defaultComDevice(n) &&
                                     port->device != "\\\\.\\" + std::string(portName);
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

std::string portOpenFailureDetail(const PortOpenResult& r, std::string_view portName) {
    if (r.status == PortOpenResult::Status::BadPort) return r.error;
    if (r.status != PortOpenResult::Status::SerialOpenFailed) return {};
    std::string text = serialOpenFailureReason(r.device, r.serialError);
    const bool deviceIsThere = r.serialError == SerialOpenError::Busy ||
                               r.serialError == SerialOpenError::PermissionDenied;
    if (r.unmappedCom && !deviceIsThere) {
        const std::string name(portName);
        text += "\n\n" + name + " stands for " + r.device +
                " here. If the printer is on another device, pick that device in the Port list, "
                "or start Setrion with --map " +
                name + "=PATH (or set SETRION_" + name + "=PATH).";
    }
    return text;
}

}  // namespace setrion
