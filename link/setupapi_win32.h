#pragma once
// The device lists of SetupAPI that the USB backend and the port discovery read.
#include <cstdint>
#include <string>
#include <vector>

namespace setrion::win32 {

// A printer the USB printing class driver owns, by its device interface.
struct UsbPrinterInterface {
    std::wstring path;  // for CreateFile: "\\?\usb#vid_12ee&pid_9485#...#{28d78fad-...}"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string manufacturer;
    std::string description;
    std::string serialNumber;  // the instance part of the path when the device gave one
};
std::vector<UsbPrinterInterface> usbPrinterInterfaces();

// A device of the Ports class with a COM name.
struct ComPortDevice {
    std::string portName;      // "COM3"
    std::string manufacturer;  // "FTDI"
    std::string description;   // "USB Serial Port"
    std::string usbId;         // "0403:6001" for a USB device, else empty
    std::string service;       // the driver's service: "FTSER2K", "usbser", "Serial"
};
std::vector<ComPortDevice> comPortDevices();

// The COM names of the serial ports the system has mapped (HARDWARE\DEVICEMAP\SERIALCOMM).
std::vector<std::string> mappedComPorts();

}  // namespace setrion::win32
