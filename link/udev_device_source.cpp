// The system's device lists from libudev: the tty subsystem and the USB devices.
#include <libudev.h>

#include <cctype>
#include <cstdlib>
#include <memory>

#include "link/port_discovery.h"

namespace setrion {
namespace {

std::string text(const char* s) { return s ? std::string(s) : std::string(); }

// A device's own strings put '_' for blanks ("FT232R_USB_UART").
std::string blanked(std::string s) {
    for (char& c : s)
        if (c == '_') c = ' ';
    return s;
}

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
    void operator()(udev_hwdb* h) const { udev_hwdb_unref(h); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// The hardware database's value of `key` for a USB vendor:product ("0403", "6001").
std::string hwdbValue(udev_hwdb* hwdb, const std::string& vendor, const std::string& product,
                      const char* key) {
    if (!hwdb || vendor.empty()) return {};
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    const std::string modalias = "usb:v" + upper(vendor) + "p" + upper(product) + "*";
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_hwdb_get_properties_list_entry(hwdb, modalias.c_str(), 0)) {
        if (text(udev_list_entry_get_name(entry)) == key) return text(udev_list_entry_get_value(entry));
    }
    return {};
}

template <class F>
void forEachDevice(udev* u, const char* subsystem, F&& visit) {
    UdevPtr<udev_enumerate> e(udev_enumerate_new(u));
    if (!e) return;
    udev_enumerate_add_match_subsystem(e.get(), subsystem);
    if (udev_enumerate_scan_devices(e.get()) < 0) return;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
        UdevPtr<udev_device> d(udev_device_new_from_syspath(u, udev_list_entry_get_name(entry)));
        if (d) visit(d.get());
    }
}

class UdevDeviceSource final : public DeviceSource {
public:
    std::vector<TtyDeviceInfo> ttyDevices() override {
        std::vector<TtyDeviceInfo> list;
        UdevPtr<udev> u(udev_new());
        if (!u) return list;
        UdevPtr<udev_hwdb> hwdb(udev_hwdb_new(u.get()));
        forEachDevice(u.get(), "tty", [&](udev_device* d) {
            TtyDeviceInfo info;
            info.sysName = text(udev_device_get_sysname(d));
            info.devNode = text(udev_device_get_devnode(d));
            udev_list_entry* link = nullptr;
            udev_list_entry_foreach(link, udev_device_get_devlinks_list_entry(d))
                info.devLinks.push_back(text(udev_list_entry_get_name(link)));
            if (const char* type = udev_device_get_sysattr_value(d, "type"))
                info.uartType = std::atoi(type);
            // The USB device behind a USB serial adapter or modem: ids and its own strings,
            // read from sysfs so they are there even without the udev database.
            udev_device* usbDev = udev_device_get_parent_with_subsystem_devtype(d, "usb", "usb_device");
            const std::string vid = usbDev ? text(udev_device_get_sysattr_value(usbDev, "idVendor"))
                                           : text(udev_device_get_property_value(d, "ID_VENDOR_ID"));
            const std::string pid = usbDev ? text(udev_device_get_sysattr_value(usbDev, "idProduct"))
                                           : text(udev_device_get_property_value(d, "ID_MODEL_ID"));
            if (!vid.empty()) info.usbId = vid + ":" + pid;
            info.vendor = text(udev_device_get_property_value(d, "ID_VENDOR_FROM_DATABASE"));
            if (info.vendor.empty()) info.vendor = hwdbValue(hwdb.get(), vid, pid, "ID_VENDOR_FROM_DATABASE");
            if (info.vendor.empty()) info.vendor = blanked(text(udev_device_get_property_value(d, "ID_VENDOR")));
            if (info.vendor.empty() && usbDev)
                info.vendor = text(udev_device_get_sysattr_value(usbDev, "manufacturer"));
            info.model = text(udev_device_get_property_value(d, "ID_MODEL_FROM_DATABASE"));
            if (info.model.empty()) info.model = hwdbValue(hwdb.get(), vid, pid, "ID_MODEL_FROM_DATABASE");
            if (info.model.empty()) info.model = blanked(text(udev_device_get_property_value(d, "ID_MODEL")));
            if (info.model.empty() && usbDev)
                info.model = text(udev_device_get_sysattr_value(usbDev, "product"));
            info.serialNumber = text(udev_device_get_property_value(d, "ID_SERIAL_SHORT"));
            if (info.serialNumber.empty() && usbDev)
                info.serialNumber = text(udev_device_get_sysattr_value(usbDev, "serial"));
            info.driver = text(udev_device_get_property_value(d, "ID_USB_DRIVER"));
            // The serial core puts "port" and "ctrl" devices between a UART's tty and its driver.
            for (udev_device* p = udev_device_get_parent(d); p && info.driver.empty();
                 p = udev_device_get_parent(p)) {
                info.driver = text(udev_device_get_driver(p));
                if (info.driver == "port" || info.driver == "ctrl") info.driver.clear();
            }
            list.push_back(std::move(info));
        });
        return list;
    }

    std::vector<UsbDeviceInfo> usbDevices() override {
        std::vector<UsbDeviceInfo> list;
        UdevPtr<udev> u(udev_new());
        if (!u) return list;
        forEachDevice(u.get(), "usb", [&](udev_device* d) {
            if (text(udev_device_get_devtype(d)) != "usb_device") return;
            UsbDeviceInfo info;
            info.vendorId = static_cast<uint16_t>(
                std::strtoul(text(udev_device_get_sysattr_value(d, "idVendor")).c_str(), nullptr, 16));
            info.productId = static_cast<uint16_t>(
                std::strtoul(text(udev_device_get_sysattr_value(d, "idProduct")).c_str(), nullptr, 16));
            info.vendor = text(udev_device_get_sysattr_value(d, "manufacturer"));
            info.model = text(udev_device_get_sysattr_value(d, "product"));
            info.serialNumber = text(udev_device_get_sysattr_value(d, "serial"));
            list.push_back(std::move(info));
        });
        return list;
    }
};

}  // namespace

DeviceSource& systemDeviceSource() {
    static UdevDeviceSource source;
    return source;
}

}  // namespace setrion
