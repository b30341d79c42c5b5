#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/usb_backend.h"

namespace setrion::test {

// A USB bus for link tests: devices that can be unplugged in the middle of a transfer and
// plugged back, refuse to open, hold their interface, and record what they receive.
// Safe to use from the link's two threads and the test at once.
class FakeUsbBackend final : public usb::UsbBackend {
  public:
    static constexpr size_t kNever = std::numeric_limits<size_t>::max();

    // A device with one interface of `interfaceClass` (7 = printer) carrying bulk OUT 0x01
    // and bulk IN 0x82 endpoints of 64-byte packets.
    static usb::DeviceInfo printer(uint16_t vendor, uint16_t product,
                                   uint8_t interfaceClass = usb::kPrinterInterfaceClass);

    // Returns the device's index.
    size_t addDevice(usb::DeviceInfo info);

    void unplug(size_t device);
    void plug(size_t device);
    // The device drops off the bus once it has received `total` bytes in all; the transfer
    // that crosses the mark delivers only the bytes up to it.
    void unplugAfterBytes(size_t device, size_t total);
    // An unplugged device comes back on this many-th enumeration from now (1 = the next).
    void replugAfterEnumerations(size_t device, size_t count);

    // The next OUT transfer accepts at most `deliver` bytes and then fails with `error`
    // (a stalled or busy printer that stays on the bus).
    void failNextWrite(size_t device, usb::UsbError error, size_t deliver);
    void setOpenError(size_t device, usb::UsbError error);
    void setInterfaceHeld(size_t device, bool held);
    void setKernelDriverBound(size_t device, bool bound);
    void queueInput(size_t device, const std::vector<uint8_t>& bytes);

    std::vector<uint8_t> received(size_t device) const;
    // The size of every accepted OUT transfer, in order.
    std::vector<size_t> transferSizes(size_t device) const;
    // "open", "detach 0", "claim 0", "out N" (N bytes accepted), "release 0", "attach 0",
    // "close", in the order they came.
    std::vector<std::string> events(size_t device) const;
    bool kernelDriverBound(size_t device) const;
    bool claimed(size_t device) const;
    size_t enumerations() const;
    size_t openHandles() const;

    usb::UsbError enumerate(std::vector<usb::DeviceInfo>& devices) override;
    usb::UsbError open(const usb::DeviceInfo& device,
                       std::unique_ptr<usb::UsbDeviceHandle>& handle) override;

  private:
    class Handle;
    struct Device {
        usb::DeviceInfo info;
        bool present = true;
        size_t plugCount = 0;  // bumped at every unplug: older handles are stale
        usb::UsbError openError = usb::UsbError::Ok;
        bool interfaceHeld = false;
        bool kernelDriverBound = true;
        bool claimed = false;
        size_t unplugAt = kNever;
        size_t replugCountdown = 0;
        usb::UsbError nextWriteError = usb::UsbError::Ok;
        size_t nextWriteDeliver = 0;
        std::vector<uint8_t> received;
        std::vector<size_t> transferSizes;
        std::deque<uint8_t> input;
        std::vector<std::string> events;
    };
    void unplugLocked(Device& d);

    mutable std::mutex m_mutex;
    std::vector<Device> m_devices;
    size_t m_enumerations = 0;
    size_t m_openHandles = 0;
};

}  // namespace setrion::test
