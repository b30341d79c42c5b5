#include "link/setupapi_win32.h"

// windows.h (winsock2.h) first: the other headers rely on its types.
// clang-format off
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include "common/utf16_win32.h"

namespace setrion::win32 {
namespace {

// The USB printing class driver's device interface.
DEFINE_GUID(kUsbPrintInterface, 0x28d78fad, 0x5a12, 0x11d1, 0xae, 0x5b, 0x00, 0x00, 0xf8, 0x03,
            0xa8, 0xc2);

std::wstring lowered(std::wstring s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return s;
}

// The 4-digit hex number after `key` ("vid_") in a lower-case device path or hardware id.
uint16_t idAfter(const std::wstring& lower, const wchar_t* key) {
    const size_t at = lower.find(key);
    if (at == std::wstring::npos) return 0;
    const std::wstring digits = lower.substr(at + std::wcslen(key), 4);
    wchar_t* end = nullptr;
    const unsigned long v = std::wcstoul(digits.c_str(), &end, 16);
    return digits.size() == 4 && end && *end == L'\0' ? static_cast<uint16_t>(v) : 0;
}

std::string registryProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[512] = {};
    DWORD type = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, &type,
                                           reinterpret_cast<BYTE*>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr) ||
        (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    return toUtf8(buffer);  // the first string of a multi-string
}

// A string value of an open registry key; empty when absent.
std::string stringValue(HKEY key, const wchar_t* name) {
    wchar_t buffer[256] = {};
    DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return toUtf8(buffer);
}

struct DeviceSet {
    HDEVINFO set;
    explicit DeviceSet(HDEVINFO s) : set(s) {}
    ~DeviceSet() {
        if (set != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(set);
    }
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;
};

}  // namespace

std::vector<UsbPrinterInterface> usbPrinterInterfaces() {
    std::vector<UsbPrinterInterface> out;
    DeviceSet devices(SetupDiGetClassDevsW(&kUsbPrintInterface, nullptr, nullptr,
                                           DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (devices.set == INVALID_HANDLE_VALUE) return out;
    SP_DEVICE_INTERFACE_DATA iface{};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0;
         SetupDiEnumDeviceInterfaces(devices.set, nullptr, &kUsbPrintInterface, i, &iface); ++i) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailW(devices.set, &iface, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        SP_DEVINFO_DATA device{};
        device.cbSize = sizeof device;
        if (!SetupDiGetDeviceInterfaceDetailW(devices.set, &iface, detail, size, nullptr, &device))
            continue;
        UsbPrinterInterface p;
        p.path = detail->DevicePath;
        const std::wstring lower = lowered(p.path);
        p.vendorId = idAfter(lower, L"vid_");
        p.productId = idAfter(lower, L"pid_");
        p.manufacturer = registryProperty(devices.set, device, SPDRP_MFG);
        p.description = registryProperty(devices.set, device, SPDRP_FRIENDLYNAME);
        if (p.description.empty())
            p.description = registryProperty(devices.set, device, SPDRP_DEVICEDESC);
        // "\\?\usb#vid_..&pid_..#<instance>#{guid}": a generated instance holds '&'.
        const size_t first = p.path.find(L'#');
        const size_t second = first == std::wstring::npos ? first : p.path.find(L'#', first + 1);
        const size_t third = second == std::wstring::npos ? second : p.path.find(L'#', second + 1);
        if (third != std::wstring::npos) {
            const std::wstring instance = p.path.substr(second + 1, third - second - 1);
            if (instance.find(L'&') == std::wstring::npos) p.serialNumber = toUtf8(instance);
        }
        out.push_back(std::move(p));
    }
    return out;
}

std::vector<ComPortDevice> comPortDevices() {
    std::vector<ComPortDevice> out;
    DeviceSet devices(SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT));
    if (devices.set == INVALID_HANDLE_VALUE) return out;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(devices.set, i, &device); ++i) {
        HKEY key =
            SetupDiOpenDevRegKey(devices.set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) continue;
        ComPortDevice port;
        port.portName = stringValue(key, L"PortName");
        RegCloseKey(key);
        if (port.portName.rfind("COM", 0) != 0) continue;  // LPT ports share the class
        port.manufacturer = registryProperty(devices.set, device, SPDRP_MFG);
        port.description = registryProperty(devices.set, device, SPDRP_DEVICEDESC);
        port.service = registryProperty(devices.set, device, SPDRP_SERVICE);
        const std::wstring hardwareId =
            lowered(toUtf16(registryProperty(devices.set, device, SPDRP_HARDWAREID)));
        const uint16_t vid = idAfter(hardwareId, L"vid_");
        if (vid != 0) {
            char id[16];
            std::snprintf(id, sizeof id, "%04x:%04x", vid, idAfter(hardwareId, L"pid_"));
            port.usbId = id;
        }
        out.push_back(std::move(port));
    }
    return out;
}

std::vector<std::string> mappedComPorts() {
    std::vector<std::string> out;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[64] = {};
        DWORD nameLength = 256, type = 0, size = sizeof data - sizeof(wchar_t);
        const LONG rc = RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &size);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
        const std::string port = toUtf8(data);
        if (!port.empty() && std::find(out.begin(), out.end(), port) == out.end())
            out.push_back(port);
    }
    RegCloseKey(key);
    return out;
}

}  // namespace setrion::win32
