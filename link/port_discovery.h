#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/port_names.h"

namespace setrion {

// What the device manager knows about one node of the tty subsystem. A DeviceSource fills
// these (libudev on Linux; a fixed list in tests).
struct TtyDeviceInfo {
    std::string sysName;                // "ttyUSB0"
    std::string devNode;                // "/dev/ttyUSB0"
    std::vector<std::string> devLinks;  // "/dev/serial/by-id/usb-FTDI_...-if00-port0", ...
    // ttyS only: the TIOCGSERIAL type; 0 (PORT_UNKNOWN) is a placeholder without a UART.
    // nullopt when it could not be asked.
    std::optional<int> uartType;
    std::string vendor;        // the hardware database's vendor name, else the device's own
    std::string model;         // likewise for the model
    std::string serialNumber;  // ID_SERIAL_SHORT
    std::string usbId;         // "0403:6001"
    std::string driver;        // "ftdi_sio", "cdc_acm", "serial8250"
};

// A USB device as the device manager lists it.
struct UsbDeviceInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string vendor;
    std::string model;
    std::string serialNumber;
};

// Where the device lists come from.
class DeviceSource {
public:
    virtual ~DeviceSource() = default;
    virtual std::vector<TtyDeviceInfo> ttyDevices() = 0;
    virtual std::vector<UsbDeviceInfo> usbDevices() = 0;
};

// A fixed list, for tests and for platforms without a device manager.
class FixedDeviceSource final : public DeviceSource {
public:
    FixedDeviceSource(std::vector<TtyDeviceInfo> ttys = {}, std::vector<UsbDeviceInfo> usb = {})
        : m_ttys(std::move(ttys)), m_usb(std::move(usb)) {}
    std::vector<TtyDeviceInfo> ttyDevices() override { return m_ttys; }
    std::vector<UsbDeviceInfo> usbDevices() override { return m_usb; }
    std::vector<TtyDeviceInfo>& ttys() { return m_ttys; }

private:
    std::vector<TtyDeviceInfo> m_ttys;
    std::vector<UsbDeviceInfo> m_usb;
};

// The system's device manager (libudev), or an empty list where there is none.
DeviceSource& systemDeviceSource();
// The source discovery uses by default: the system's, unless a test installed another
// (nullptr restores the system's). Returns the previous override.
DeviceSource* setDefaultDeviceSource(DeviceSource* source);
DeviceSource& defaultDeviceSource();
// Installs a source as the default for its lifetime.
class ScopedDeviceSource {
public:
    explicit ScopedDeviceSource(DeviceSource& source) : m_previous(setDefaultDeviceSource(&source)) {}
    ~ScopedDeviceSource() { setDefaultDeviceSource(m_previous); }
    ScopedDeviceSource(const ScopedDeviceSource&) = delete;
    ScopedDeviceSource& operator=(const ScopedDeviceSource&) = delete;

private:
    DeviceSource* m_previous;
};

// One serial port a technician has.
struct DiscoveredPort {
    enum class Kind { UsbSerial, Acm, Rfcomm, Uart, Com };  // Com: a Windows COM port
    Kind kind = Kind::Uart;
    int number = 0;            // 0 of ttyUSB0
    std::string name;          // "ttyUSB0"
    std::string device;        // "/dev/ttyUSB0"
    std::string byId;          // the /dev/serial/by-id/ link, empty when none
    std::string description;   // "FTDI FT232R USB UART (A6008isP)"
    std::string usbId;         // "0403:6001", empty for non-USB ports
    std::string driver;
    std::string mappedTo;      // "COM3" when a COMn resolves to this device, else empty

    // The port lists' text: "ttyUSB0 — FTDI FT232R USB UART (A6008isP)".
    std::string listText() const;
};

// The serial ports with hardware behind them (ttyUSB, ttyACM, rfcomm, and ttyS where a UART
// exists; on Windows the COM ports), ordered by kind in that order and then by number. A port that COM1..COM9 resolves
// to (by --map, SETRION_COMn or the ttyS default) carries that name in mappedTo.
std::vector<DiscoveredPort> discoverSerialPorts(DeviceSource& source, const PortMap& map,
                                                const EnvLookup& env = nullptr);

// The USB printers the USB link opens (its two vendor:product pairs) that are plugged in.
struct DiscoveredUsbPrinter {
    std::string usbId;        // "12ee:9485"
    std::string description;  // vendor, model and serial number as far as known
};
std::vector<DiscoveredUsbPrinter> discoverUsbPrinters(DeviceSource& source);

}  // namespace setrion
