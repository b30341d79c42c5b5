#include "cli/multi_port.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <memory>
#include <mutex>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <thread>

#include "cli/cli_app.h"
#include "cli/port_probe.h"
#include "cli/printer_session.h"
#include "cli/progress_board.h"
#include "link/port_discovery.h"
#include "link/port_failure.h"
#include "link/port_names.h"

namespace setrion::cli {
namespace {

// Collects characters and hands each complete line to `sink`; what is left at the end
// is handed over on flush().
class LineBuffer final : public std::streambuf {
public:
    explicit LineBuffer(std::function<void(const std::string&)> sink) : m_sink(std::move(sink)) {}
    void flushRest() {
        if (!m_line.empty()) m_sink(std::exchange(m_line, {}));
    }
    const std::string& all() const { return m_all; }

protected:
    int_type overflow(int_type ch) override {
        if (ch == traits_type::eof()) return traits_type::not_eof(ch);
        char c = traits_type::to_char_type(ch);
        m_all.push_back(c);
        if (c == '\n') m_sink(std::exchange(m_line, {}));
        else m_line.push_back(c);
        return ch;
    }

private:
    std::function<void(const std::string&)> m_sink;
    std::string m_line;
    std::string m_all;
};

bool isPortOption(const std::string& a) { return a == "--port" || a.rfind("--port=", 0) == 0; }

// The first word that is not an option or an option's value: the command.
std::string commandOf(const std::vector<std::string>& args) {
    static const std::vector<std::string> kWithValue{"--port", "--baud", "--data-bits", "--parity",
                                                     "--stop-bits", "--flow", "--map"};
    for (size_t i = 1; i < args.size(); ++i) {
        if (std::find(kWithValue.begin(), kWithValue.end(), args[i]) != kWithValue.end()) {
            ++i;
            continue;
        }
        if (!args[i].empty() && args[i][0] != '-') return args[i];
    }
    return {};
}

// --port all: the devices of the serial ports that answer the probe, asked with the line
// settings and --map of the command line. Empty after printing why; `rc` is then the exit code.
std::vector<std::string> answeringPorts(int argc, char** argv, std::ostream& err, Spooler* spooler, int& rc) {
    GlobalOptions options;
    CLI::App globals{"", "setrion-cli"};
    globals.allow_extras();
    addGlobalOptions(globals, options);
    try {
        globals.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        err << "--port all: " << e.what() << "\n";
        rc = kExitUsage;
        return {};
    }
    rc = kExitUsage;
    PortMap map;
    for (const auto& m : options.maps)
        if (std::string why = addPortMapping(m, map); !why.empty()) {
            err << "--map: " << why << "\n";
            return {};
        }
    std::string why;
    auto settings = serialSettingsFrom(options, &why);
    if (!settings) {
        err << why << "\n";
        return {};
    }
    rc = kExitDevice;
    const std::vector<DiscoveredPort> found = discoverSerialPorts(defaultDeviceSource(), map);
    if (found.empty()) {
        err << "--port all: no serial ports found\n";
        return {};
    }
    std::unique_ptr<Spooler> systemSpooler;
    if (!spooler) spooler = (systemSpooler = makeSystemSpooler()).get();
    err << "--port all: probing " << found.size() << " serial port" << (found.size() == 1 ? "" : "s") << "\n"
        << std::flush;
    const std::vector<PortProbe> probes = probeSerialPorts(*spooler, found, *settings);
    std::vector<std::string> answering;
    for (size_t i = 0; i < found.size(); ++i)
        if (probes[i].answered) answering.push_back(found[i].device);
    if (answering.empty()) {
        err << "--port all: no serial port answers as a printer\n";
        for (size_t i = 0; i < found.size(); ++i) err << "  " << found[i].device << ": " << probes[i].answer << "\n";
        return {};
    }
    err << "--port all:";
    for (size_t i = 0; i < found.size(); ++i)
        if (probes[i].answered) err << " " << found[i].device << " (" << probes[i].answer << ")";
    err << "\n";
    rc = kExitOk;
    return answering;
}

struct PortRun {
    std::string port;
    int exitCode = 0;
    std::string lastError;
    std::unique_ptr<LineBuffer> outBuf, errBuf;
};

// Two --port names of one device (a by-id link and ttyUSB0, COM3 mapped to a path named
// too) would run the command twice on one printer at once: the text naming them, or "".
std::string sameDeviceTwice(const std::vector<std::string>& args, const std::vector<std::string>& ports) {
    PortMap map;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string mapping;
        if (args[i] == "--map" && i + 1 < args.size()) mapping = args[++i];
        else if (args[i].rfind("--map=", 0) == 0) mapping = args[i].substr(6);
        else continue;
        addPortMapping(mapping, map);  // a bad mapping is reported by the run itself
    }
    std::vector<std::pair<std::string, std::string>> seen;  // identity, port name
    for (const auto& name : ports) {
        auto port = resolvePort(name, map);
        if (!port || port->kind != ResolvedPort::Kind::Serial) continue;
        const std::string identity = deviceIdentity(port->device);
        for (const auto& [known, knownName] : seen)
            if (known == identity)
                return "--port " + knownName + " and --port " + name + " name the same device";
        seen.emplace_back(identity, name);
    }
    return {};
}

}  // namespace

std::vector<std::string> portsOf(int argc, char** argv) {
    std::vector<std::string> ports;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--port" && i + 1 < argc) ports.emplace_back(argv[++i]);
        else if (a.rfind("--port=", 0) == 0) ports.push_back(a.substr(7));
    }
    return ports;
}

std::vector<std::string> singlePortArgs(int argc, char** argv, const std::string& port) {
    std::vector<std::string> out{argc > 0 ? argv[0] : "setrion-cli", "--port", port};
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--port") {
            ++i;
            continue;
        }
        if (isPortOption(a)) continue;
        out.push_back(a);
    }
    return out;
}

std::optional<int> runOnEveryPort(int argc, char** argv, std::ostream& out, std::ostream& err,
                                  Spooler* spooler) {
    std::vector<std::string> ports = portsOf(argc, argv);
    const bool everyAnswering = std::find(ports.begin(), ports.end(), "all") != ports.end();
    if (ports.size() < 2 && !everyAnswering) return std::nullopt;
    std::vector<std::string> args(argv, argv + argc);
    if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "-h"; }))
        return std::nullopt;
    std::string command = commandOf(args);
    if (everyAnswering && command.empty()) return std::nullopt;  // the parser reports the missing command
    if (command == "net" || command == "font-job" || command == "ports") {
        err << (everyAnswering ? "--port all" : "several --port options") << ": " << command << " does not use a port\n";
        return kExitUsage;
    }
    // "all" stands for a set of its own: beside named ports it would run some twice.
    if (everyAnswering && ports.size() > 1) {
        err << "--port all cannot be combined with other --port options\n";
        return kExitUsage;
    }
    for (size_t i = 0; i < ports.size(); ++i)
        if (std::count(ports.begin(), ports.end(), ports[i]) > 1) {
            err << "--port " << ports[i] << " is given more than once\n";
            return kExitUsage;
        }
    if (std::string twice = sameDeviceTwice(args, ports); !twice.empty()) {
        err << twice << "\n";
        return kExitUsage;
    }
    if (everyAnswering) {
        int rc = kExitOk;
        ports = answeringPorts(argc, argv, err, spooler, rc);
        if (ports.empty()) return rc;
    }
    bool json = std::find(args.begin(), args.end(), "--json") != args.end();

    ProgressBoard board(err, streamIsTerminal(err), ports);
    std::mutex outMutex;
    // With the board drawn in place, lines for the same terminal go through it.
    bool outViaBoard = board.inPlace() && streamIsTerminal(out);
    std::vector<PortRun> runs(ports.size());
    for (size_t i = 0; i < ports.size(); ++i) {
        PortRun& r = runs[i];
        r.port = ports[i];
        std::string prefix = ports[i] + ": ";
        if (!json)
            r.outBuf = std::make_unique<LineBuffer>([&, prefix](const std::string& line) {
                if (outViaBoard) {
                    board.print(prefix + line);
                    return;
                }
                std::lock_guard lock(outMutex);
                out << prefix << line << "\n" << std::flush;
            });
        else
            r.outBuf = std::make_unique<LineBuffer>([](const std::string&) {});
        r.errBuf = std::make_unique<LineBuffer>([&board, &r, prefix](const std::string& line) {
            r.lastError = line;
            board.print(prefix + line);
        });
    }

    std::vector<std::thread> threads;
    for (size_t i = 0; i < ports.size(); ++i) {
        threads.emplace_back([&, i] {
            PortRun& r = runs[i];
            board.update(i, "running");
            std::vector<std::string> own = singlePortArgs(argc, argv, r.port);
            std::vector<char*> ownArgv;
            for (auto& a : own) ownArgv.push_back(a.data());
            ownArgv.push_back(nullptr);
            std::ostream o(r.outBuf.get()), e(r.errBuf.get());
            r.exitCode = runCli(static_cast<int>(own.size()), ownArgv.data(), o, e, spooler);
            o.flush();
            e.flush();
            r.outBuf->flushRest();
            r.errBuf->flushRest();
            board.update(i, r.exitCode == 0 ? "done" : "failed: " + r.lastError);
        });
    }
    for (auto& t : threads) t.join();

    if (json) {
        nlohmann::json all = nlohmann::json::array();
        for (const auto& r : runs) {
            nlohmann::json parsed = nlohmann::json::parse(r.outBuf->all(), nullptr, false);
            nlohmann::json item = parsed.is_object() ? parsed : nlohmann::json::object();
            if (!parsed.is_object() && !parsed.is_discarded()) item["result"] = parsed;
            if (parsed.is_discarded() && !r.outBuf->all().empty()) {
                std::string text = r.outBuf->all();
                while (!text.empty() && text.back() == '\n') text.pop_back();
                item["message"] = text;
            }
            item["port"] = r.port;
            item["exit_code"] = r.exitCode;
            if (r.exitCode != 0) item["error"] = r.lastError;
            all.push_back(item);
        }
        out << all.dump(2) << "\n";
    }
    bool allOk = std::all_of(runs.begin(), runs.end(), [](const PortRun& r) { return r.exitCode == 0; });
    if (allOk) return kExitOk;
    bool anyUsage = std::any_of(runs.begin(), runs.end(), [](const PortRun& r) { return r.exitCode == kExitUsage; });
    return anyUsage ? kExitUsage : kExitDevice;
}

}  // namespace setrion::cli
