#include "cli/port_probe.h"

#include <thread>

#include "cli/printer_session.h"
#include "link/driver_conflict.h"
#include "printer/command_exchange.h"

namespace setrion::cli {
namespace {

PortProbe probePort(const std::string& device, const SerialSettings& settings) {
    SerialLink link(systemClock());
    if (link.open(device, settings) != 0) {
        const SerialOpenError error = link.lastOpenError();
        link.close();
        std::string text = serialOpenErrorText(error);
        if (error == SerialOpenError::PermissionDenied) {
            const std::string group = deviceGroupName(device);
            if (!group.empty()) text += " (join the group " + group + ")";
        }
        return {text, false};
    }
    LinkPair links{&link, nullptr, LinkKind::Serial};
    CommandExchange exchange(links, systemClock());
    EmulationCode code = EmulationCode::Cpcl;
    const int rc = exchange.probeEmulation(code);
    link.close();
    if (rc != kProbeOk) return {probeFailureMessage(rc), false};
    return {emulationDisplayName(code), true};
}

}  // namespace

std::vector<PortProbe> probeSerialPorts(Spooler& spooler, const std::vector<DiscoveredPort>& ports,
                                        const SerialSettings& settings) {
    std::vector<PortProbe> results(ports.size());
    std::vector<std::thread> probes;
    for (size_t i = 0; i < ports.size(); ++i) {
        const DriverConflictCheck check = checkDriverConflict(spooler, ports[i].device);
        if (check.conflict) {
            results[i].answer = "used by the print queue " + check.conflict->printerName;
            continue;
        }
        probes.emplace_back([&results, &ports, &settings, i] { results[i] = probePort(ports[i].device, settings); });
    }
    for (std::thread& t : probes) t.join();
    return results;
}

}  // namespace setrion::cli
