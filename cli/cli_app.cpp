#include "cli/cli_app.h"

#include <iostream>
#include <map>
#include <sstream>

#include "cli/checked_output.h"
#include "cli/multi_port.h"
#include "common/device_text.h"
#include "common/interrupt.h"
#include "common/trace.h"
#include "setrion_version.h"

namespace setrion::cli {
namespace {

std::map<std::string, CommandGroupInstaller>& registry() {
    static std::map<std::string, CommandGroupInstaller> groups;
    return groups;
}

}  // namespace

CommandGroupRegistrar::CommandGroupRegistrar(const char* name, CommandGroupInstaller installer) {
    registry()[name] = installer;
}

int CommandContext::deviceFailure(const std::string& message) {
    if (!interruptRequested()) *err << message << "\n";
    exitCode = kExitDevice;
    return exitCode;
}

int CommandContext::usageError(const std::string& message) {
    *err << message << "\n";
    exitCode = kExitUsage;
    return exitCode;
}

Spooler& CommandContext::spooler() {
    if (givenSpooler) return *givenSpooler;
    if (!m_systemSpooler) m_systemSpooler = makeSystemSpooler();
    return *m_systemSpooler;
}

// Device texts follow the JSON rule of common/device_text.h (an object's strings, or those of
// an array's objects); anything else invalid is replaced rather than thrown on.
void CommandContext::printJson(const nlohmann::json& value) {
    nlohmann::json shown = value;
    if (shown.is_array())
        for (auto& element : shown) applyDeviceTextRule(element);
    else
        applyDeviceTextRule(shown);
    *out << shown.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

void addGlobalOptions(CLI::App& app, GlobalOptions& o) {
    app.add_option("--port", o.port, "COM1..COM9, USB, or a device path; several run the command on each at once; "
                   "all: every serial port that answers the probe (alone, not beside other --port)")->capture_default_str();
    app.add_option("--baud", o.baud, "Line speed")
        ->check(CLI::IsMember({1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200}))
        ->capture_default_str();
    app.add_option("--data-bits", o.dataBits, "7 or 8")
        ->check(CLI::IsMember({7, 8}))
        ->capture_default_str();
    app.add_option("--parity", o.parity, "none, odd or even")
        ->check(CLI::IsMember({"none", "odd", "even"}))
        ->capture_default_str();
    app.add_option("--stop-bits", o.stopBits, "1 or 2")
        ->check(CLI::IsMember({1, 2}))
        ->capture_default_str();
    app.add_option("--flow", o.flow, "dtr-dsr, xon-xoff or rts-cts")
        ->check(CLI::IsMember({"dtr-dsr", "xon-xoff", "rts-cts"}))
        ->capture_default_str();
    app.add_option("--map", o.maps, "Map a port name to a device: COMn=PATH");
    app.add_flag_callback(
        "--trace", [&o] { o.trace = true; setTraceEnabled(true); },
        "Write diagnostic trace lines to stderr");
    app.add_flag("--json", o.json, "Machine-readable output");
}

std::string interruptedSummary(const CommandContext& ctx) {
    if (!ctx.stored.empty()) return ctx.stored;
    if (ctx.blocksSent > 0)
        return "nothing sent after the signal (" + std::to_string(ctx.blocksSent) +
               " command block(s) sent before it)";
    return "nothing stored";
}

// Every subcommand's help, one after another (the man pages are made from it).
std::string helpOfEverything(const CLI::App& app) {
    std::string text = app.help("", CLI::AppFormatMode::Normal);
    std::vector<std::pair<std::string, const CLI::App*>> pending;
    for (const CLI::App* sub : app.get_subcommands({}))
        pending.emplace_back(app.get_name() + " " + sub->get_name(), sub);
    for (size_t i = 0; i < pending.size(); ++i) {
        const auto [name, command] = pending[i];
        text += "\n" + name + "\n" + command->help("", CLI::AppFormatMode::Normal);
        for (const CLI::App* sub : command->get_subcommands({}))
            pending.emplace_back(name + " " + sub->get_name(), sub);
    }
    return text;
}

int runCli(int argc, char** argv, std::ostream& out, std::ostream& err, Spooler* spooler) {
    if (auto rc = runOnEveryPort(argc, argv, out, err, spooler)) return *rc;
    CommandContext ctx;
    ctx.givenSpooler = spooler;
    ctx.out = &out;
    ctx.err = &err;
    GlobalOptions& o = ctx.options;

    CLI::App app{"setrion-cli: configure Qx7 printers and their Wi-Fi module", "setrion-cli"};
    app.require_subcommand(1);
    app.fallthrough();
    app.set_version_flag("--version", std::string("setrion-cli ") + SETRION_VERSION,
                         "Print the program's version and exit");
    app.set_help_all_flag("--help-all", "Print the help of every command and exit");
    addGlobalOptions(app, o);

    for (auto& [name, install] : registry()) install(app, ctx);
    // Set after the commands are made, so their own help does not repeat it.
    app.footer(
        "Exit status: 0 success, 1 usage error, 2 device failure; 130, 143 or 129 when SIGINT, "
        "SIGTERM or SIGHUP ended a sequence at its next step (command mode left, what was stored "
        "printed as \"interrupted: ...\"); a second signal ends it at once.");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        out << app.help();
        return kExitOk;
    } catch (const CLI::CallForAllHelp& e) {
        out << helpOfEverything(app);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        // Subcommand help requests arrive here too; CLI11 formats them.
        std::ostringstream o1, o2;
        int rc = app.exit(e, o1, o2);
        out << o1.str();
        err << o2.str();
        return rc == 0 ? kExitOk : kExitUsage;
    } catch (const std::exception& e) {
        // The last resort: a command's sessions have closed their ports and sockets while
        // the exception left them; report it as a failure rather than abort.
        err << "setrion-cli: " << e.what() << "\n";
        return kExitDevice;
    } catch (...) {
        err << "setrion-cli: unexpected failure\n";
        return kExitDevice;
    }
    if (interruptRequested()) {
        // On whichever stream can still be written: a reader of stderr may have gone.
        std::ostream& shown = failedOutput(err) ? out : err;
        shown << "interrupted: " << interruptedSummary(ctx) << "\n" << std::flush;
        return interruptExitCode();
    }
    return ctx.exitCode;
}

}  // namespace setrion::cli
