#pragma once
#include <string>

#include "sim/sim_printer.h"

namespace setrion::sim {

struct PtyOptions {
    std::string linkPath;    // symlink to the pty's device, if given
    std::string recordPath;  // every received byte is appended here, if given
    std::string statePath;   // the state JSON, rewritten after every change, if given
};

// Opens a pty, publishes its path and serves `printer` on it until SIGTERM or SIGINT.
// Returns the process exit code.
int runPtyPrinter(SimPrinter& printer, const PtyOptions& options);

}  // namespace setrion::sim
