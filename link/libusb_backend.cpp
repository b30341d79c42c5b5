// The USB backend on libusb-1.0. libusb's codes become UsbError here and nowhere else.
#include <libusb.h>

#include <climits>
#include <memory>
#include <mutex>

#include "link/usb_backend.h"

namespace setrion::usb {
namespace {

UsbError fromLibusb(int code) {
    switch (code) {
        case LIBUSB_SUCCESS:
            return UsbError::Ok;
        case LIBUSB_ERROR_IO:
            return UsbError::Io;
        case LIBUSB_ERROR_INVALID_PARAM:
            return UsbError::InvalidParam;
        case LIBUSB_ERROR_ACCESS:
            return UsbError::Access;
        case LIBUSB_ERROR_NO_DEVICE:
            return UsbError::NoDevice;
        case LIBUSB_ERROR_NOT_FOUND:
            return UsbError::NotFound;
        case LIBUSB_ERROR_BUSY:
            return UsbError::Busy;
        case LIBUSB_ERROR_TIMEOUT:
            return UsbError::Timeout;
        case LIBUSB_ERROR_OVERFLOW:
            return UsbError::Overflow;
        case LIBUSB_ERROR_PIPE:
            return UsbError::Pipe;
        case LIBUSB_ERROR_INTERRUPTED:
            return UsbError::Interrupted;
        case LIBUSB_ERROR_NO_MEM:
            return UsbError::NoMemory;
        case LIBUSB_ERROR_NOT_SUPPORTED:
            return UsbError::NotSupported;
        default:
            break;
    }
    return UsbError::Other;
}

// libusb treats a time-out of 0 as "wait for ever": never pass it on.
unsigned int boundedTimeout(uint32_t ms) {
    return ms == 0 ? 1U : ms;
}

int clampLength(size_t n) {
    return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

// One libusb context. A context learns of devices that come and go from udev's events only:
// where no udevd runs (containers, small systems) its device list stays as libusb_init found
// it, and a printer plugged in again under a new address is never seen. So every enumeration
// starts a context of its own, which scans the bus afresh; the handles opened from it keep
// it alive.
class LibusbContext {
  public:
    explicit LibusbContext(libusb_context* ctx) : m_ctx(ctx) {}
    ~LibusbContext() { libusb_exit(m_ctx); }
    LibusbContext(const LibusbContext&) = delete;
    LibusbContext& operator=(const LibusbContext&) = delete;
    libusb_context* get() const { return m_ctx; }

  private:
    libusb_context* m_ctx;
};

class LibusbHandle final : public UsbDeviceHandle {
  public:
    LibusbHandle(libusb_device_handle* h, std::shared_ptr<LibusbContext> context)
        : m_handle(h), m_context(std::move(context)) {}
    ~LibusbHandle() override { libusb_close(m_handle); }
    LibusbHandle(const LibusbHandle&) = delete;
    LibusbHandle& operator=(const LibusbHandle&) = delete;

    UsbError claimInterface(uint8_t number) override {
        return fromLibusb(libusb_claim_interface(m_handle, number));
    }
    UsbError releaseInterface(uint8_t number) override {
        return fromLibusb(libusb_release_interface(m_handle, number));
    }
    UsbError setAlternateSetting(uint8_t number, uint8_t alternateSetting) override {
        return fromLibusb(libusb_set_interface_alt_setting(m_handle, number, alternateSetting));
    }
    UsbError kernelDriverActive(uint8_t number, bool& active) override {
        active = false;
        int r = libusb_kernel_driver_active(m_handle, number);
        if (r == LIBUSB_ERROR_NOT_SUPPORTED) return UsbError::Ok;
        if (r < 0) return fromLibusb(r);
        active = r == 1;
        return UsbError::Ok;
    }
    UsbError detachKernelDriver(uint8_t number) override {
        return fromLibusb(libusb_detach_kernel_driver(m_handle, number));
    }
    UsbError attachKernelDriver(uint8_t number) override {
        return fromLibusb(libusb_attach_kernel_driver(m_handle, number));
    }
    UsbError bulkWrite(uint8_t endpoint, std::span<const uint8_t> data, size_t& transferred,
                       uint32_t timeoutMs) override {
        int done = 0;
        // libusb takes a non-const buffer for both directions; an OUT transfer only reads it.
        int r = libusb_bulk_transfer(m_handle, endpoint, const_cast<uint8_t*>(data.data()),
                                     clampLength(data.size()), &done, boundedTimeout(timeoutMs));
        transferred = done > 0 ? static_cast<size_t>(done) : 0;
        return fromLibusb(r);
    }
    UsbError bulkRead(uint8_t endpoint, std::span<uint8_t> buffer, size_t& transferred,
                      uint32_t timeoutMs) override {
        int done = 0;
        int r = libusb_bulk_transfer(m_handle, endpoint, buffer.data(), clampLength(buffer.size()),
                                     &done, boundedTimeout(timeoutMs));
        transferred = done > 0 ? static_cast<size_t>(done) : 0;
        return fromLibusb(r);
    }

  private:
    libusb_device_handle* m_handle;
    std::shared_ptr<LibusbContext> m_context;  // closed after the handle
};

void describeInterfaces(libusb_device* dev, DeviceInfo& info) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(dev, &config) != LIBUSB_SUCCESS || !config) return;
    for (uint8_t i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& iface = config->interface[i];
        for (int a = 0; a < iface.num_altsetting; ++a) {
            const libusb_interface_descriptor& d = iface.altsetting[a];
            InterfaceInfo out;
            out.number = d.bInterfaceNumber;
            out.alternateSetting = d.bAlternateSetting;
            out.interfaceClass = d.bInterfaceClass;
            out.interfaceSubClass = d.bInterfaceSubClass;
            out.interfaceProtocol = d.bInterfaceProtocol;
            for (uint8_t e = 0; e < d.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = d.endpoint[e];
                out.endpoints.push_back({ep.bEndpointAddress, ep.bmAttributes, ep.wMaxPacketSize});
            }
            info.interfaces.push_back(std::move(out));
        }
    }
    libusb_free_config_descriptor(config);
}

class LibusbBackend final : public UsbBackend {
  public:
    UsbError enumerate(std::vector<DeviceInfo>& devices) override {
        devices.clear();
        std::shared_ptr<LibusbContext> ctx;
        if (UsbError e = freshContext(ctx); e != UsbError::Ok) return e;
        libusb_device** list = nullptr;
        ssize_t n = libusb_get_device_list(ctx->get(), &list);
        if (n < 0) return fromLibusb(static_cast<int>(n));
        for (ssize_t i = 0; i < n; ++i) {
            libusb_device_descriptor desc{};
            if (libusb_get_device_descriptor(list[i], &desc) != LIBUSB_SUCCESS) continue;
            DeviceInfo info;
            info.vendorId = desc.idVendor;
            info.productId = desc.idProduct;
            info.busNumber = libusb_get_bus_number(list[i]);
            info.deviceAddress = libusb_get_device_address(list[i]);
            describeInterfaces(list[i], info);
            devices.push_back(std::move(info));
        }
        libusb_free_device_list(list, 1);
        std::lock_guard lock(m_mutex);
        m_listed = std::move(ctx);  // open() finds the device where the enumeration saw it
        return UsbError::Ok;
    }

    UsbError open(const DeviceInfo& device, std::unique_ptr<UsbDeviceHandle>& handle) override {
        handle.reset();
        std::shared_ptr<LibusbContext> ctx;
        {
            std::lock_guard lock(m_mutex);
            ctx = m_listed;
        }
        if (!ctx)
            if (UsbError e = freshContext(ctx); e != UsbError::Ok) return e;
        libusb_device** list = nullptr;
        ssize_t n = libusb_get_device_list(ctx->get(), &list);
        if (n < 0) return fromLibusb(static_cast<int>(n));
        UsbError result = UsbError::NoDevice;
        for (ssize_t i = 0; i < n; ++i) {
            if (libusb_get_bus_number(list[i]) != device.busNumber ||
                libusb_get_device_address(list[i]) != device.deviceAddress)
                continue;
            libusb_device_handle* h = nullptr;
            result = fromLibusb(libusb_open(list[i], &h));
            if (result == UsbError::Ok) handle = std::make_unique<LibusbHandle>(h, ctx);
            break;
        }
        libusb_free_device_list(list, 1);
        return result;
    }

  private:
    // A failed start (no USB file system, as in a container) is remembered, so every later
    // call fails at once the same way.
    UsbError freshContext(std::shared_ptr<LibusbContext>& ctx) {
        {
            std::lock_guard lock(m_mutex);
            if (m_initFailed != UsbError::Ok) return m_initFailed;
        }
        libusb_context* raw = nullptr;
        UsbError e = fromLibusb(libusb_init(&raw));
        if (e != UsbError::Ok || !raw) {
            std::lock_guard lock(m_mutex);
            m_initFailed = e == UsbError::Ok ? UsbError::Other : e;
            return m_initFailed;
        }
        ctx = std::make_shared<LibusbContext>(raw);
        return UsbError::Ok;
    }

    std::mutex m_mutex;
    std::shared_ptr<LibusbContext> m_listed;  // the context of the last enumeration
    UsbError m_initFailed = UsbError::Ok;
};

}  // namespace

UsbBackend& systemUsbBackend() {
    static LibusbBackend backend;
    return backend;
}

}  // namespace setrion::usb
