#pragma once
#include <cstdint>
#include <string>

#include "sim/sim_printer.h"

namespace setrion::sim {

struct PtyOptions {
    // Symlink to the pty's device, if given. An existing path is refused (exit 2) unless it
    // is a dangling link to a pty; the link is removed at exit while it still points here.
    std::string linkPath;
    std::string recordPath;  // every received byte is appended here, if given
    std::string statePath;   // the state JSON, rewritten after every change, if given
    // The printer takes in at most this many bytes a second (0: as fast as they come), as a
    // slow line does: the host's writes then wait for room.
    uint32_t lineRate = 0;
    // Serve on this device node instead of a pty (a USB gadget's device side), if given.
    std::string devicePath;
};

// Opens a pty, publishes its path and serves `printer` on it until SIGTERM or SIGINT.
// Returns the process exit code.
int runPtyPrinter(SimPrinter& printer, const PtyOptions& options);
// Serves `printer` on options.devicePath, opening it again whenever it goes away (a gadget
// unbound from its controller), until SIGTERM or SIGINT. Returns the process exit code.
int runDevicePrinter(SimPrinter& printer, const PtyOptions& options);

}  // namespace setrion::sim
