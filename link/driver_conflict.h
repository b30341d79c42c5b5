#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "link/spooler.h"

namespace setrion {

// A print queue already printing to the device a port resolves to: opening the port beside
// the spooler would have both write to the printer.
struct DriverConflict {
    std::string printerName;  // the queue's name
    std::string portName;     // the queue's device URI
    std::string driverName = {};
};

struct DriverConflictCheck {
    // The spooler answered with a failure: the caller says so ("EnumPrinters() failed") and
    // goes on opening, as without a conflict.
    bool enumerationFailed = false;
    std::optional<DriverConflict> conflict;
};

// The device a queue's URI prints to: the absolute path after the scheme (and an optional
// "//"), up to a '?' or '#': "serial:/dev/ttyS0?baud=9600" -> "/dev/ttyS0". A Windows
// spooler's COM port name prints to the COM device: "COM3:" -> "\\.\COM3". Empty for a URI
// that names no local device ("ipp://host/...", "usb://Maker/Model", "USB001", "FILE:").
std::string deviceOfUri(std::string_view uri);

// The first queue, in the spooler's order, whose device is `devicePath` (exactly, the same COM
// port in any spelling, or the same file once both are resolved). An empty device path (USB) never conflicts.
DriverConflictCheck checkDriverConflict(Spooler& spooler, const std::string& devicePath);

inline constexpr const char* kDriverConflictCaption = "ERROR";
inline constexpr const char* kEnumerationFailedText = "EnumPrinters() failed";
inline constexpr const char* kEnumerationFailedCaption = "EnumPrinters() Error";
// "The port(URI) is already occupied in windows printer driver(NAME).\n\nSo, please change
// your printer driver port from URI to other port\n\nand execute again."
std::string driverConflictMessage(const DriverConflict& conflict);
// The trace line the Wi-Fi module's port opening writes for a conflict:
// "PrinterName = NAME PortName=URI DriverName=DRIVER".
std::string driverConflictTrace(const DriverConflict& conflict);

}  // namespace setrion
