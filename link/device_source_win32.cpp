// The system's device lists on Windows: the COM ports the serial map and the Ports class
// know, and the printers the USB printing class driver owns.
#include <algorithm>

#include "link/port_discovery.h"
#include "link/setupapi_win32.h"

namespace setrion {
namespace {

class SetupApiDeviceSource final : public DeviceSource {
  public:
    std::vector<TtyDeviceInfo> ttyDevices() override {
        std::vector<TtyDeviceInfo> list;
        const std::vector<win32::ComPortDevice> devices = win32::comPortDevices();
        std::vector<std::string> names = win32::mappedComPorts();
        // A port of the Ports class that the serial map lacks (its driver not started yet)
        // is still listed; the map alone lists ports no class driver describes (Wine's).
        for (const auto& d : devices)
            if (std::find(names.begin(), names.end(), d.portName) == names.end())
                names.push_back(d.portName);
        for (const std::string& name : names) {
            TtyDeviceInfo info;
            info.sysName = name;
            info.devNode = "\\\\.\\" + name;
            auto d =
                std::find_if(devices.begin(), devices.end(),
                             [&](const win32::ComPortDevice& c) { return c.portName == name; });
            if (d != devices.end()) {
                info.vendor = d->manufacturer;
                info.model = d->description;
                info.usbId = d->usbId;
                info.driver = d->service;
            }
            list.push_back(std::move(info));
        }
        return list;
    }

    std::vector<UsbDeviceInfo> usbDevices() override {
        std::vector<UsbDeviceInfo> list;
        for (const auto& p : win32::usbPrinterInterfaces())
            list.push_back(
                {p.vendorId, p.productId, p.manufacturer, p.description, p.serialNumber});
        return list;
    }
};

}  // namespace

DeviceSource& systemDeviceSource() {
    static SetupApiDeviceSource source;
    return source;
}

}  // namespace setrion
