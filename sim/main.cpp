// setrion-sim: a simulated Qx7 printer on a pty (default), or another registered mode.
#include <map>

#include "setrion_version.h"
#include "sim/pty_printer.h"
#include "sim/sim_modes.h"
#include "sim/sim_printer.h"

namespace setrion::sim {
namespace {

std::map<std::string, ModeInstaller>& modeRegistry() {
    static std::map<std::string, ModeInstaller> modes;
    return modes;
}

}  // namespace

ModeRegistrar::ModeRegistrar(const char* name, ModeInstaller installer) {
    modeRegistry()[name] = installer;
}

}  // namespace setrion::sim

int main(int argc, char** argv) {
    using namespace setrion::sim;
    CLI::App app{"setrion-sim: a simulated Qx7 printer", "setrion-sim"};
    app.set_version_flag("--version", std::string("setrion-sim ") + SETRION_VERSION,
                         "Print the program's version and exit");
    PtyOptions pty;
    app.add_option("--link", pty.linkPath, "Create this symlink to the printer's pty");
    app.add_option("--record", pty.recordPath, "Write every byte received to this file");
    app.add_option("--state", pty.statePath, "Keep the printer's state as JSON in this file");
    app.add_option("--line-rate", pty.lineRate,
                   "Bytes a second the printer takes in (0: no limit), a slow line");
    app.add_option("--device", pty.devicePath,
                   "Serve on this device node (a USB gadget's /dev/g_printer0 or /dev/ttyGS0), or "
                   "bt-listen:N (connections on RFCOMM channel N), instead of a pty")
        ->excludes("--link");
    uint32_t latency = 15;
    app.add_option("--latency-ms", latency, "Delay before each answer")->capture_default_str();

    SimPrinter printer;
    printer.handlers() = createHandlers();
    for (auto& h : printer.handlers()) h->addOptions(app);

    int modeExit = -1;
    for (auto& [name, install] : modeRegistry()) install(app, modeExit);

    CLI11_PARSE(app, argc, argv);
    if (modeExit >= 0) return modeExit;

    printer.latencyMs = latency;
    for (auto& h : printer.handlers()) h->start(printer);
    return pty.devicePath.empty() ? runPtyPrinter(printer, pty) : runDevicePrinter(printer, pty);
}
