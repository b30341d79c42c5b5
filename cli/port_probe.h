#pragma once
// Asking serial ports which of them has a printer behind it: `ports --probe` and --port all.
#include <string>
#include <vector>

#include "link/port_discovery.h"
#include "link/serial_link.h"
#include "link/spooler.h"

namespace setrion::cli {

struct PortProbe {
    // The emulation's name, the probe failure message, why the port did not open, or the
    // print queue that uses it.
    std::string answer;
    bool answered = false;  // a printer answered the emulation probe
};

// Probes every port at once, each on its own link with `settings`, so N ports take about
// the time of one. A port a print queue of `spooler` uses is not touched. One result a port,
// in the order given.
std::vector<PortProbe> probeSerialPorts(Spooler& spooler, const std::vector<DiscoveredPort>& ports,
                                        const SerialSettings& settings);

}  // namespace setrion::cli
