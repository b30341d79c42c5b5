#include "tests/link/fake_usb_backend.h"

#include <algorithm>

namespace setrion::test {

using usb::UsbError;

class FakeUsbBackend::Handle final : public usb::UsbDeviceHandle {
  public:
    Handle(FakeUsbBackend& bus, size_t index, size_t plugCount)
        : m_bus(bus), m_index(index), m_plugCount(plugCount) {}
    ~Handle() override {
        std::lock_guard lock(m_bus.m_mutex);
        --m_bus.m_openHandles;
        m_bus.m_devices[m_index].events.push_back("close");
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    UsbError claimInterface(uint8_t number) override {
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        if (d->interfaceHeld) return UsbError::Busy;
        if (d->kernelDriverBound) return UsbError::Busy;
        d->claimed = true;
        d->events.push_back("claim " + std::to_string(number));
        return UsbError::Ok;
    }
    UsbError releaseInterface(uint8_t number) override {
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        d->claimed = false;
        d->events.push_back("release " + std::to_string(number));
        return UsbError::Ok;
    }
    UsbError setAlternateSetting(uint8_t, uint8_t) override {
        std::lock_guard lock(m_bus.m_mutex);
        return live() ? UsbError::Ok : UsbError::NoDevice;
    }
    UsbError kernelDriverActive(uint8_t, bool& active) override {
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        active = d && d->kernelDriverBound;
        return d ? UsbError::Ok : UsbError::NoDevice;
    }
    UsbError detachKernelDriver(uint8_t number) override {
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        d->kernelDriverBound = false;
        d->events.push_back("detach " + std::to_string(number));
        return UsbError::Ok;
    }
    UsbError attachKernelDriver(uint8_t number) override {
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        d->kernelDriverBound = true;
        d->events.push_back("attach " + std::to_string(number));
        return UsbError::Ok;
    }
    UsbError bulkWrite(uint8_t endpoint, std::span<const uint8_t> data, size_t& transferred,
                       uint32_t) override {
        transferred = 0;
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        if (!d->claimed || endpoint != 0x01) return UsbError::InvalidParam;
        if (d->nextWriteError != UsbError::Ok) {
            UsbError e = d->nextWriteError;
            d->nextWriteError = UsbError::Ok;
            transferred = std::min(data.size(), d->nextWriteDeliver);
            d->received.insert(d->received.end(), data.begin(),
                               data.begin() + static_cast<long>(transferred));
            d->events.push_back("out " + std::to_string(transferred) + " " + usb::usbErrorName(e));
            return e;
        }
        size_t room = data.size();
        if (d->unplugAt != kNever)
            room = d->unplugAt > d->received.size()
                       ? std::min(room, d->unplugAt - d->received.size())
                       : 0;
        d->received.insert(d->received.end(), data.begin(), data.begin() + static_cast<long>(room));
        transferred = room;
        if (room > 0) {
            d->transferSizes.push_back(room);
            d->events.push_back("out " + std::to_string(room));
        }
        if (room < data.size() || d->received.size() == d->unplugAt) {
            d->unplugAt = kNever;
            m_bus.unplugLocked(*d);
            if (room < data.size()) return UsbError::NoDevice;
        }
        return UsbError::Ok;
    }
    UsbError bulkRead(uint8_t endpoint, std::span<uint8_t> buffer, size_t& transferred,
                      uint32_t) override {
        transferred = 0;
        std::lock_guard lock(m_bus.m_mutex);
        Device* d = live();
        if (!d) return UsbError::NoDevice;
        if (!d->claimed || endpoint != 0x82) return UsbError::InvalidParam;
        if (d->input.empty()) return UsbError::Timeout;
        // A device sends whole packets; a packet longer than the buffer overflows it.
        size_t n = std::min<size_t>(d->input.size(), 64);
        if (n > buffer.size()) return UsbError::Overflow;
        std::copy_n(d->input.begin(), n, buffer.begin());
        d->input.erase(d->input.begin(), d->input.begin() + static_cast<long>(n));
        transferred = n;
        return UsbError::Ok;
    }

  private:
    Device* live() {
        Device& d = m_bus.m_devices[m_index];
        return d.present && d.plugCount == m_plugCount ? &d : nullptr;
    }

    FakeUsbBackend& m_bus;
    size_t m_index;
    size_t m_plugCount;
};

usb::DeviceInfo FakeUsbBackend::printer(uint16_t vendor, uint16_t product, uint8_t interfaceClass) {
    usb::DeviceInfo info;
    info.vendorId = vendor;
    info.productId = product;
    usb::InterfaceInfo iface;
    iface.number = 0;
    iface.interfaceClass = interfaceClass;
    iface.interfaceSubClass = 1;
    iface.interfaceProtocol = 2;
    iface.endpoints = {{0x01, 0x02, 64}, {0x82, 0x02, 64}};
    info.interfaces.push_back(iface);
    return info;
}

size_t FakeUsbBackend::addDevice(usb::DeviceInfo info) {
    std::lock_guard lock(m_mutex);
    info.busNumber = 1;
    info.deviceAddress = static_cast<uint8_t>(m_devices.size() + 2);
    Device d;
    d.info = std::move(info);
    m_devices.push_back(std::move(d));
    return m_devices.size() - 1;
}

void FakeUsbBackend::unplugLocked(Device& d) {
    d.present = false;
    d.claimed = false;
    d.kernelDriverBound = true;  // the kernel driver binds afresh when it comes back
    ++d.plugCount;
}

void FakeUsbBackend::unplug(size_t device) {
    std::lock_guard lock(m_mutex);
    unplugLocked(m_devices[device]);
}

void FakeUsbBackend::plug(size_t device) {
    std::lock_guard lock(m_mutex);
    m_devices[device].present = true;
}

void FakeUsbBackend::unplugAfterBytes(size_t device, size_t total) {
    std::lock_guard lock(m_mutex);
    m_devices[device].unplugAt = total;
}

void FakeUsbBackend::replugAfterEnumerations(size_t device, size_t count) {
    std::lock_guard lock(m_mutex);
    m_devices[device].replugCountdown = count;
}

void FakeUsbBackend::failNextWrite(size_t device, UsbError error, size_t deliver) {
    std::lock_guard lock(m_mutex);
    m_devices[device].nextWriteError = error;
    m_devices[device].nextWriteDeliver = deliver;
}

void FakeUsbBackend::setOpenError(size_t device, UsbError error) {
    std::lock_guard lock(m_mutex);
    m_devices[device].openError = error;
}

void FakeUsbBackend::setInterfaceHeld(size_t device, bool held) {
    std::lock_guard lock(m_mutex);
    m_devices[device].interfaceHeld = held;
}

void FakeUsbBackend::setKernelDriverBound(size_t device, bool bound) {
    std::lock_guard lock(m_mutex);
    m_devices[device].kernelDriverBound = bound;
}

void FakeUsbBackend::queueInput(size_t device, const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(m_mutex);
    m_devices[device].input.insert(m_devices[device].input.end(), bytes.begin(), bytes.end());
}

std::vector<uint8_t> FakeUsbBackend::received(size_t device) const {
    std::lock_guard lock(m_mutex);
    return m_devices[device].received;
}

std::vector<size_t> FakeUsbBackend::transferSizes(size_t device) const {
    std::lock_guard lock(m_mutex);
    return m_devices[device].transferSizes;
}

std::vector<std::string> FakeUsbBackend::events(size_t device) const {
    std::lock_guard lock(m_mutex);
    return m_devices[device].events;
}

bool FakeUsbBackend::kernelDriverBound(size_t device) const {
    std::lock_guard lock(m_mutex);
    return m_devices[device].kernelDriverBound;
}

bool FakeUsbBackend::claimed(size_t device) const {
    std::lock_guard lock(m_mutex);
    return m_devices[device].claimed;
}

size_t FakeUsbBackend::enumerations() const {
    std::lock_guard lock(m_mutex);
    return m_enumerations;
}

size_t FakeUsbBackend::openHandles() const {
    std::lock_guard lock(m_mutex);
    return m_openHandles;
}

UsbError FakeUsbBackend::enumerate(std::vector<usb::DeviceInfo>& devices) {
    std::lock_guard lock(m_mutex);
    ++m_enumerations;
    devices.clear();
    for (Device& d : m_devices) {
        if (!d.present && d.replugCountdown > 0 && --d.replugCountdown == 0) d.present = true;
        if (d.present) devices.push_back(d.info);
    }
    return UsbError::Ok;
}

UsbError FakeUsbBackend::open(const usb::DeviceInfo& device,
                              std::unique_ptr<usb::UsbDeviceHandle>& handle) {
    handle.reset();
    std::lock_guard lock(m_mutex);
    for (size_t i = 0; i < m_devices.size(); ++i) {
        Device& d = m_devices[i];
        if (d.info.busNumber != device.busNumber || d.info.deviceAddress != device.deviceAddress)
            continue;
        if (!d.present) return UsbError::NoDevice;
        if (d.openError != UsbError::Ok) return d.openError;
        d.events.push_back("open");
        ++m_openHandles;
        handle = std::make_unique<Handle>(*this, i, d.plugCount);
        return UsbError::Ok;
    }
    return UsbError::NoDevice;
}

}  // namespace setrion::test
