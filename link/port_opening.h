#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "link/driver_conflict.h"
#include "link/port_names.h"
#include "link/printer_link.h"
#include "link/serial_link.h"
#include "link/spooler.h"

namespace setrion {

// The links a port-opening caller owns (the main dialog's pair, or the Wi-Fi pair) and how
// each one opens.
class PortOpener {
public:
    virtual ~PortOpener() = default;
    virtual PrinterLink& serial() = 0;
    virtual PrinterLink& usb() = 0;
    // 0 when open and configured, -1 otherwise (the link may be left half open).
    virtual int openSerial(const std::string& devicePath, const SerialSettings& settings) = 0;
    virtual int openUsb() = 0;
    // Why the last openSerial() failed, as far as the link knows.
    virtual SerialOpenError lastSerialOpenError() const { return SerialOpenError::Other; }
};

// A SerialLink and any USB link with its own open call.
class StandardPortOpener final : public PortOpener {
public:
    StandardPortOpener(SerialLink& serialLink, PrinterLink& usbLink, std::function<int()> openUsbLink)
        : m_serial(serialLink), m_usb(usbLink), m_openUsb(std::move(openUsbLink)) {}
    PrinterLink& serial() override { return m_serial; }
    PrinterLink& usb() override { return m_usb; }
    int openSerial(const std::string& devicePath, const SerialSettings& settings) override {
        return m_serial.open(devicePath, settings);
    }
    int openUsb() override { return m_openUsb ? m_openUsb() : -1; }
    SerialOpenError lastSerialOpenError() const override { return m_serial.lastOpenError(); }

private:
    SerialLink& m_serial;
    PrinterLink& m_usb;
    std::function<int()> m_openUsb;
};

// The result of opening a port for printer commands (probe not included).
struct PortOpenResult {
    enum class Status {
        Opened,            // the link of `kind` is open
        DriverConflict,    // a print queue uses the device: nothing opened
        BadPort,           // the name resolves to nothing: nothing opened
        SerialOpenFailed,  // "Serial Port Open Failed": the serial link was closed again
        UsbOpenFailed,     // "USB Port Open Failed": the USB link was closed again
    };
    Status status = Status::Opened;
    LinkKind kind = LinkKind::Serial;
    // Tell the user "EnumPrinters() failed" (caption "EnumPrinters() Error") before anything
    // else; the opening went on regardless.
    bool enumerationFailed = false;
    std::optional<DriverConflict> conflict;
    std::string error;  // BadPort: why
    // SerialOpenFailed: the device the name resolved to, why it did not open, and whether the
    // name was a COMn that no mapping pointed elsewhere (it stood for the system's default).
    std::string device;
    SerialOpenError serialError = SerialOpenError::None;
    bool unmappedCom = false;
    bool opened() const { return status == Status::Opened; }
};

// Resolves the port name ("COM1".."COM9", "USB", or a device path), refuses a device a print
// queue uses, then opens the serial or the USB link. A failed open closes that link again.
PortOpenResult openPrinterPort(std::string_view portName, const SerialSettings& settings,
                               const PortMap& portMap, Spooler& spooler, PortOpener& opener,
                               const EnvLookup& env = nullptr);

// The message box for a failed result (nothing for Opened): text and caption.
struct PortOpenMessage {
    std::string text;
    std::string caption;
};
std::optional<PortOpenMessage> portOpenFailureMessage(const PortOpenResult& result);

// What the dialogs show below that message: for a serial port the reason the command-line
// tool prints ("no such device: /dev/ttyS8"), and for a COMn without a mapping how to give it
// one; for a bad name why it is bad. Empty when there is nothing to add.
std::string portOpenFailureDetail(const PortOpenResult& result, std::string_view portName);

}  // namespace setrion
