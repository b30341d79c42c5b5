#include "link/port_discovery.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "link/usb_link.h"

namespace setrion {
namespace {

DeviceSource* g_override = nullptr;

struct KindPrefix {
    const char* prefix;
    DiscoveredPort::Kind kind;
};
// In list order.
constexpr KindPrefix kKinds[] = {{"ttyUSB", DiscoveredPort::Kind::UsbSerial},
                                 {"ttyACM", DiscoveredPort::Kind::Acm},
                                 {"rfcomm", DiscoveredPort::Kind::Rfcomm},
                                 {"ttyS", DiscoveredPort::Kind::Uart},
                                 {"COM", DiscoveredPort::Kind::Com}};

// The kind and number of "ttyUSB0"-style names; nullopt for any other tty.
std::optional<std::pair<DiscoveredPort::Kind, int>> kindOf(const std::string& sysName) {
    for (const KindPrefix& k : kKinds) {
        const std::string prefix = k.prefix;
        if (sysName.size() <= prefix.size() || sysName.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = sysName.substr(prefix.size());
        if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(),
                                              [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        return std::make_pair(k.kind, std::stoi(digits));
    }
    return std::nullopt;
}

// "vendor model (serial)", leaving out what is unknown.
std::string joinNames(const std::string& vendor, const std::string& model, const std::string& serial) {
    std::string text = vendor;
    if (!model.empty()) text += (text.empty() ? "" : " ") + model;
    if (!serial.empty()) text += (text.empty() ? "(" : " (") + serial + ")";
    return text;
}

std::string fallbackDescription(DiscoveredPort::Kind kind, const std::string& driver) {
    switch (kind) {
        case DiscoveredPort::Kind::Rfcomm: return "Bluetooth serial port";
        case DiscoveredPort::Kind::Uart:
        case DiscoveredPort::Kind::Com: return "serial port";
        default: return driver.empty() ? "USB serial device" : driver;
    }
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

DeviceSource* setDefaultDeviceSource(DeviceSource* source) {
    DeviceSource* previous = g_override;
    g_override = source;
    return previous;
}

DeviceSource& defaultDeviceSource() { return g_override ? *g_override : systemDeviceSource(); }

std::string DiscoveredPort::listText() const {
    return description.empty() ? name : name + " \xE2\x80\x94 " + description;
}

std::vector<DiscoveredPort> discoverSerialPorts(DeviceSource& source, const PortMap& map,
                                                const EnvLookup& env) {
    // The devices COM1..COM9 stand for, by their resolved paths.
    std::vector<std::pair<std::string, std::string>> comDevices;
    for (int n = 1; n <= 9; ++n) {
        const std::string com = "COM" + std::to_string(n);
        if (auto port = resolvePort(com, map, nullptr, env))
            comDevices.emplace_back(canonical(port->device), com);
    }

    std::vector<DiscoveredPort> ports;
    for (const TtyDeviceInfo& tty : source.ttyDevices()) {
        auto kind = kindOf(tty.sysName);
        if (!kind || tty.devNode.empty()) continue;
        // ttyS0..ttyS31 exist whether or not a UART sits behind them.
        if (kind->first == DiscoveredPort::Kind::Uart && tty.uartType.value_or(0) == 0) continue;
        DiscoveredPort p;
        p.kind = kind->first;
        p.number = kind->second;
        p.name = tty.sysName;
        p.device = tty.devNode;
        for (const std::string& link : tty.devLinks)
            if (link.rfind("/dev/serial/by-id/", 0) == 0) p.byId = link;
        p.description = joinNames(tty.vendor, tty.model, tty.serialNumber);
        if (p.description.empty()) p.description = fallbackDescription(p.kind, tty.driver);
        p.usbId = tty.usbId;
        p.driver = tty.driver;
        std::vector<std::string> paths{canonical(tty.devNode)};
        for (const std::string& link : tty.devLinks) paths.push_back(canonical(link));
        for (const auto& [device, com] : comDevices) {
            if (std::find(paths.begin(), paths.end(), device) != paths.end()) {
                p.mappedTo = com;
                break;
            }
        }
        ports.push_back(std::move(p));
    }
    std::sort(ports.begin(), ports.end(), [](const DiscoveredPort& a, const DiscoveredPort& b) {
        if (a.kind != b.kind) return a.kind < b.kind;
        return a.number < b.number;
    });
    return ports;
}

std::vector<DiscoveredUsbPrinter> discoverUsbPrinters(DeviceSource& source) {
    std::vector<DiscoveredUsbPrinter> printers;
    for (const UsbDeviceInfo& d : source.usbDevices()) {
        if (!UsbLink::isAcceptedId(d.vendorId, d.productId)) continue;
        char id[16];
        std::snprintf(id, sizeof id, "%04x:%04x", d.vendorId, d.productId);
        printers.push_back({id, joinNames(d.vendor, d.model, d.serialNumber)});
    }
    return printers;
}

}  // namespace setrion
