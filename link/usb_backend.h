#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace setrion::usb {

// The link's own USB error codes. Library and errno codes are translated into these once,
// in the backend, so nothing above it sees a platform number.
enum class UsbError : int {
    Ok = 0,
    Io,            // input/output error
    InvalidParam,  // bad argument
    Access,        // no permission to open the device
    NoDevice,      // the device is gone (unplugged)
    NotFound,      // no such device, interface or endpoint
    Busy,          // the interface is held by someone else
    Timeout,       // the transfer did not complete in time
    Overflow,      // the device sent more than the buffer holds
    Pipe,          // endpoint stalled
    Interrupted,   // a system call was interrupted
    NoMemory,
    NotSupported,
    Other,
};

// A fixed name for each code ("no-device", "access", ...), for trace lines.
const char* usbErrorName(UsbError error);

inline constexpr uint8_t kPrinterInterfaceClass = 7;
inline constexpr uint8_t kTransferTypeMask = 0x03;
inline constexpr uint8_t kTransferTypeBulk = 0x02;
inline constexpr uint8_t kEndpointDirectionIn = 0x80;

struct EndpointInfo {
    uint8_t address = 0;     // bit 7 set for IN
    uint8_t attributes = 0;  // low two bits: transfer type
    uint16_t maxPacketSize = 0;

    bool isBulk() const { return (attributes & kTransferTypeMask) == kTransferTypeBulk; }
    bool isIn() const { return (address & kEndpointDirectionIn) != 0; }
};

// One alternate setting of one interface of the active configuration.
struct InterfaceInfo {
    uint8_t number = 0;
    uint8_t alternateSetting = 0;
    uint8_t interfaceClass = 0;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
    std::vector<EndpointInfo> endpoints;
};

// A device present on the bus, as enumeration saw it.
struct DeviceInfo {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint8_t busNumber = 0;
    uint8_t deviceAddress = 0;
    std::vector<InterfaceInfo> interfaces;
};

// An opened device. Every member returns UsbError::Ok on success or the error that stopped
// it. The handle closes the device when destroyed. Transfers and interface calls may be made
// from any one thread at a time.
class UsbDeviceHandle {
  public:
    virtual ~UsbDeviceHandle() = default;

    virtual UsbError claimInterface(uint8_t number) = 0;
    virtual UsbError releaseInterface(uint8_t number) = 0;
    // Selects an alternate setting of a claimed interface.
    virtual UsbError setAlternateSetting(uint8_t number, uint8_t alternateSetting) = 0;
    // Sets `active` to whether a kernel driver is bound to the interface. Platforms without
    // kernel drivers report false with UsbError::Ok.
    virtual UsbError kernelDriverActive(uint8_t number, bool& active) = 0;
    virtual UsbError detachKernelDriver(uint8_t number) = 0;
    virtual UsbError attachKernelDriver(uint8_t number) = 0;
    // Bulk OUT. `transferred` is set to the bytes the device accepted, also on failure (a
    // transfer cut by a time-out or an unplug may have delivered a part).
    virtual UsbError bulkWrite(uint8_t endpoint, std::span<const uint8_t> data, size_t& transferred,
                               uint32_t timeoutMs) = 0;
    // Bulk IN. `transferred` is set to the bytes received; a time-out with nothing received
    // returns UsbError::Timeout with transferred 0. `buffer` should be a multiple of the
    // endpoint's packet size, or a long packet ends in UsbError::Overflow.
    virtual UsbError bulkRead(uint8_t endpoint, std::span<uint8_t> buffer, size_t& transferred,
                              uint32_t timeoutMs) = 0;
};

// The system's USB devices. Members may be called from several threads.
class UsbBackend {
  public:
    virtual ~UsbBackend() = default;
    // Replaces `devices` with the devices present now.
    virtual UsbError enumerate(std::vector<DeviceInfo>& devices) = 0;
    // Opens the device that enumeration described (found again by bus and address).
    virtual UsbError open(const DeviceInfo& device, std::unique_ptr<UsbDeviceHandle>& handle) = 0;
};

// The system's backend, process-wide: libusb-1.0 (its context created on first use), or on
// Windows the printer class driver's device interfaces.
UsbBackend& systemUsbBackend();

}  // namespace setrion::usb
