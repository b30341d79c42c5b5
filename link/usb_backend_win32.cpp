// The USB backend on Windows: printers owned by the USB printing class driver, found through
// SetupAPI by its device interface and opened with CreateFile on the interface path. The
// driver hides the endpoints: WriteFile is the bulk OUT transfer and ReadFile the bulk IN,
// so each printer is described with one printer-class interface and the two endpoints those
// calls stand for. Windows codes become UsbError here and nowhere else.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "link/setupapi_win32.h"
#include "link/usb_backend.h"

namespace setrion::usb {
namespace {

constexpr uint8_t kOutEndpoint = 0x01;
constexpr uint8_t kInEndpoint = 0x81;
constexpr uint16_t kPacketSize = 64;

UsbError fromWin32(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS:
            return UsbError::Ok;
        case ERROR_ACCESS_DENIED:
            return UsbError::Access;
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return UsbError::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
            return UsbError::NoDevice;
        case ERROR_SEM_TIMEOUT:
        case WAIT_TIMEOUT:
            return UsbError::Timeout;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return UsbError::NoMemory;
        case ERROR_INVALID_PARAMETER:
            return UsbError::InvalidParam;
        case ERROR_NOT_SUPPORTED:
            return UsbError::NotSupported;
        case ERROR_IO_DEVICE:
        case ERROR_CRC:
            return UsbError::Io;
        default:
            return UsbError::Other;
    }
}

class OverlappedEvent {
  public:
    OverlappedEvent() { m_ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~OverlappedEvent() {
        if (m_ov.hEvent) CloseHandle(m_ov.hEvent);
    }
    OVERLAPPED* get() { return &m_ov; }
    bool valid() const { return m_ov.hEvent != nullptr; }

  private:
    OVERLAPPED m_ov{};
};

class Win32PrinterHandle final : public UsbDeviceHandle {
  public:
    explicit Win32PrinterHandle(HANDLE h) : m_handle(h) {}
    ~Win32PrinterHandle() override { CloseHandle(m_handle); }
    Win32PrinterHandle(const Win32PrinterHandle&) = delete;
    Win32PrinterHandle& operator=(const Win32PrinterHandle&) = delete;

    // The class driver owns the interface: there is nothing to claim, select or detach.
    UsbError claimInterface(uint8_t) override { return UsbError::Ok; }
    UsbError releaseInterface(uint8_t) override { return UsbError::Ok; }
    UsbError setAlternateSetting(uint8_t, uint8_t) override { return UsbError::Ok; }
    UsbError kernelDriverActive(uint8_t, bool& active) override {
        active = false;
        return UsbError::Ok;
    }
    UsbError detachKernelDriver(uint8_t) override { return UsbError::NotSupported; }
    UsbError attachKernelDriver(uint8_t) override { return UsbError::NotSupported; }

    UsbError bulkWrite(uint8_t, std::span<const uint8_t> data, size_t& transferred,
                       uint32_t timeoutMs) override {
        return transfer(true, const_cast<uint8_t*>(data.data()), data.size(), transferred,
                        timeoutMs);
    }
    UsbError bulkRead(uint8_t, std::span<uint8_t> buffer, size_t& transferred,
                      uint32_t timeoutMs) override {
        return transfer(false, buffer.data(), buffer.size(), transferred, timeoutMs);
    }

  private:
    // One overlapped WriteFile or ReadFile, cancelled when it outlasts `timeoutMs`; the bytes
    // done before the cancel are counted.
    UsbError transfer(bool out, uint8_t* bytes, size_t size, size_t& transferred,
                      uint32_t timeoutMs) {
        transferred = 0;
        OverlappedEvent ov;
        if (!ov.valid()) return UsbError::NoMemory;
        const DWORD length = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
        DWORD done = 0;
        const BOOL started = out ? WriteFile(m_handle, bytes, length, nullptr, ov.get())
                                 : ReadFile(m_handle, bytes, length, nullptr, ov.get());
        if (!started && GetLastError() != ERROR_IO_PENDING) return fromWin32(GetLastError());
        const DWORD wait = WaitForSingleObject(ov.get()->hEvent, timeoutMs == 0 ? 1 : timeoutMs);
        if (wait != WAIT_OBJECT_0) CancelIoEx(m_handle, ov.get());
        // Waits for the cancel to finish, so the buffer is no longer the driver's.
        const BOOL ok = GetOverlappedResult(m_handle, ov.get(), &done, TRUE);
        const DWORD code = ok ? ERROR_SUCCESS : GetLastError();
        transferred = done;
        if (wait != WAIT_OBJECT_0 && (!ok || done < length)) return UsbError::Timeout;
        if (!ok) return code == ERROR_OPERATION_ABORTED ? UsbError::Timeout : fromWin32(code);
        return UsbError::Ok;
    }

    HANDLE m_handle;
};

class SetupApiBackend final : public UsbBackend {
  public:
    UsbError enumerate(std::vector<DeviceInfo>& devices) override {
        devices.clear();
        for (const win32::UsbPrinterInterface& printer : win32::usbPrinterInterfaces()) {
            DeviceInfo info;
            info.vendorId = printer.vendorId;
            info.productId = printer.productId;
            info.deviceAddress = addressOf(printer.path);
            InterfaceInfo iface;
            iface.interfaceClass = kPrinterInterfaceClass;
            iface.interfaceSubClass = 1;
            iface.interfaceProtocol = 2;  // bidirectional
            iface.endpoints = {{kOutEndpoint, kTransferTypeBulk, kPacketSize},
                               {kInEndpoint, kTransferTypeBulk, kPacketSize}};
            info.interfaces.push_back(std::move(iface));
            devices.push_back(std::move(info));
        }
        return UsbError::Ok;
    }

    UsbError open(const DeviceInfo& device, std::unique_ptr<UsbDeviceHandle>& handle) override {
        handle.reset();
        std::wstring path;
        {
            std::lock_guard lock(m_mutex);
            if (device.deviceAddress == 0 || device.deviceAddress > m_paths.size())
                return UsbError::NoDevice;
            path = m_paths[device.deviceAddress - 1];
        }
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (h == INVALID_HANDLE_VALUE) return fromWin32(GetLastError());
        handle = std::make_unique<Win32PrinterHandle>(h);
        return UsbError::Ok;
    }

  private:
    // Each interface path keeps the address it was first given, so a printer that comes back
    // under the same path (unplugged and plugged in again) is found again by its address.
    uint8_t addressOf(const std::wstring& path) {
        std::lock_guard lock(m_mutex);
        auto it = std::find(m_paths.begin(), m_paths.end(), path);
        if (it != m_paths.end()) return static_cast<uint8_t>(it - m_paths.begin() + 1);
        if (m_paths.size() >= 255) return 0;
        m_paths.push_back(path);
        return static_cast<uint8_t>(m_paths.size());
    }

    std::mutex m_mutex;
    std::vector<std::wstring> m_paths;  // guarded by m_mutex; address n is m_paths[n - 1]
};

}  // namespace

UsbBackend& systemUsbBackend() {
    static SetupApiBackend backend;
    return backend;
}

}  // namespace setrion::usb
