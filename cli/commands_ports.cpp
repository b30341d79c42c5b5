// ports: the serial ports and USB printers this machine has, and with --probe which of them
// answers as a printer.
#include <memory>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/port_probe.h"
#include "cli/printer_session.h"
#include "link/port_discovery.h"

namespace setrion::cli {
namespace {

void runPorts(CommandContext& ctx, bool probe) {
    PortMap map;
    for (const auto& m : ctx.options.maps) {
        if (std::string why = addPortMapping(m, map); !why.empty()) {
            ctx.usageError("--map: " + why);
            return;
        }
    }
    SerialSettings settings;
    if (probe) {
        std::string why;
        auto fromOptions = serialSettingsFrom(ctx.options, &why);
        if (!fromOptions) {
            ctx.usageError(why);
            return;
        }
        settings = *fromOptions;
    }
    DeviceSource& source = defaultDeviceSource();
    const std::vector<DiscoveredPort> ports = discoverSerialPorts(source, map);
    const std::vector<DiscoveredUsbPrinter> usbPrinters = discoverUsbPrinters(source);

    std::vector<std::string> answers(ports.size());
    if (probe) {
        const std::vector<PortProbe> probes = probeSerialPorts(ctx.spooler(), ports, settings);
        for (size_t i = 0; i < ports.size(); ++i) answers[i] = probes[i].answer;
    }

    if (ctx.options.json) {
        nlohmann::json list = nlohmann::json::array();
        for (size_t i = 0; i < ports.size(); ++i) {
            const DiscoveredPort& p = ports[i];
            nlohmann::json entry{{"name", p.name},         {"device", p.device},
                                 {"byId", p.byId},         {"description", p.description},
                                 {"usbId", p.usbId},       {"driver", p.driver},
                                 {"com", p.mappedTo}};
            if (probe) entry["probe"] = answers[i];
            list.push_back(std::move(entry));
        }
        nlohmann::json usb = nlohmann::json::array();
        for (const auto& u : usbPrinters) usb.push_back({{"usbId", u.usbId}, {"description", u.description}});
        ctx.printJson({{"ports", list}, {"usb", usb}});
        return;
    }
    std::ostream& out = ctx.outStream();
    for (size_t i = 0; i < ports.size(); ++i) {
        const DiscoveredPort& p = ports[i];
        out << p.device;
        if (!p.mappedTo.empty()) out << " (" << p.mappedTo << ")";
        out << "  " << p.description;
        if (!p.usbId.empty() || !p.driver.empty()) {
            out << " [" << p.usbId << (p.usbId.empty() || p.driver.empty() ? "" : " ") << p.driver << "]";
        }
        if (!p.byId.empty()) out << "  " << p.byId;
        if (probe) out << "  -> " << answers[i];
        out << "\n";
    }
    if (ports.empty()) out << "no serial ports found\n";
    for (const auto& u : usbPrinters)
        out << "USB  " << u.description << (u.description.empty() ? "[" : " [") << u.usbId << "]\n";
    if (usbPrinters.empty()) out << "USB  no printer plugged in\n";
}

void installPortCommands(CLI::App& app, CommandContext& ctx) {
    auto probe = std::make_shared<bool>(false);
    auto* ports = app.add_subcommand("ports", "List the serial ports and USB printers found here");
    ports->add_flag("--probe", *probe,
                    "Ask every serial port for its emulation, all at once, with the line settings "
                    "given (a busy port is reported, never waited on)");
    ports->callback([&ctx, probe] { runPorts(ctx, *probe); });
}

CommandGroupRegistrar g_portsGroup("ports", &installPortCommands);

}  // namespace
}  // namespace setrion::cli
