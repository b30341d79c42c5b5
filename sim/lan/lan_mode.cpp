// `setrion-sim lan`: N management-protocol modules and M text-frame printers on the
// wildcard address of the given ports, until SIGTERM or SIGINT (or --max-seconds).
#include <poll.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <thread>

#include "common/atomic_file.h"
#include "sim/lan/lan_devices.h"
#include "sim/sim_modes.h"
#include "wifi/net/management_header.h"
#include "wifi/net/udp_socket.h"

namespace setrion::sim::lan {
namespace {

std::atomic<bool> g_stop{false};
void onSignal(int) {
    g_stop = true;
}

struct LanOptions {
    size_t modules = 3;
    size_t printers = 1;
    uint16_t mgmtPort = net::kDefaultManagementPort;
    uint16_t textPort = net::kDefaultTextPort;
    std::string protocolKey;
    std::vector<std::string> silentWrites;
    std::vector<std::string> moduleIps;  // MAC=A.B.C.D
    std::string statePath;
    unsigned maxSeconds = 3600;
    bool mixed = false;
    std::size_t ssidKeeps = 32;
    std::vector<std::string> lateSearch;  // MAC=MS
    size_t hostileTexts = 0;
};

LanOptions g_options;

void saveState(LanDevices& devices) {
    if (g_options.statePath.empty() || !devices.takeChanged()) return;
    // Device texts that are not UTF-8 are written replaced rather than thrown on.
    writeFileAtomically(
        g_options.statePath,
        devices.state().dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n",
        nullptr, FileAccess::Public, Durability::Unsynced);
}

// Answers held back until their time.
struct Delayed {
    std::chrono::steady_clock::time_point due;
    std::vector<uint8_t> bytes;
    net::SocketAddress to;
};
std::vector<Delayed> g_delayed;

void sendDue(net::DatagramSocket& sock) {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = g_delayed.begin(); it != g_delayed.end();) {
        if (it->due > now) {
            ++it;
            continue;
        }
        sock.sendTo(it->bytes, it->to);
        it = g_delayed.erase(it);
    }
}

// Receives one datagram and sends the answers back to its sender.
template <typename Handle>
void serve(net::DatagramSocket& sock, Handle handle) {
    std::vector<uint8_t> buffer(70000);
    net::SocketAddress from;
    int n = sock.receiveFrom(buffer, from);
    if (n < 0) return;
    auto replies = handle(std::span<const uint8_t>(buffer).first(static_cast<size_t>(n)));
    // Real modules answer a broadcast each on its own; a short pause after every 16 answers
    // keeps one burst of a large fleet from overrunning the asker's receive buffer.
    for (size_t i = 0; i < replies.size(); ++i) {
        if (replies[i].delayMs > 0) {
            g_delayed.push_back(
                {std::chrono::steady_clock::now() + std::chrono::milliseconds(replies[i].delayMs),
                 replies[i].bytes, from});
            continue;
        }
        if (i > 0 && i % 16 == 0) std::this_thread::sleep_for(std::chrono::microseconds(500));
        sock.sendTo(replies[i].bytes, from);
    }
}

int runLan() {
    net::ProtocolKeyPrefix key = net::protocolKeyFromEnvironment();
    if (!g_options.protocolKey.empty()) {
        auto parsed = net::parseProtocolKey(g_options.protocolKey);
        if (!parsed) {
            std::cerr << "--protocol-key must be 28 hexadecimal digits\n";
            return 1;
        }
        key = *parsed;
    }
    LanDevices devices(g_options.modules, g_options.printers, key);
    devices.ssidKeeps = g_options.ssidKeeps;
    if (g_options.mixed)
        for (size_t i = 0; i < devices.modules().size(); ++i) varyModule(devices.modules()[i], i);
    for (const auto& text : g_options.silentWrites) {
        auto mac = net::parseMac(text);
        if (!mac) {
            std::cerr << "--silent-writes: not a MAC address: " << text << "\n";
            return 1;
        }
        for (auto& m : devices.modules())
            if (m.mac == *mac) m.answerWrites = false;
    }

    for (size_t j = 0; j < g_options.hostileTexts; ++j)
        devices.printers().push_back(makeHostileTextPrinter(j));
    for (const auto& text : g_options.lateSearch) {
        auto eq = text.find('=');
        auto mac = net::parseMac(text.substr(0, eq));
        unsigned long ms = 0;
        try {
            ms = eq == std::string::npos ? 0 : std::stoul(text.substr(eq + 1));
        } catch (const std::exception&) {
        }
        if (!mac || ms == 0 || ms > 60000) {
            std::cerr << "--late-search: expected MAC=MILLISECONDS: " << text << "\n";
            return 1;
        }
        for (auto& m : devices.modules())
            if (m.mac == *mac) m.searchDelayMs = static_cast<uint32_t>(ms);
    }

    for (const auto& text : g_options.moduleIps) {
        auto eq = text.find('=');
        auto mac = net::parseMac(text.substr(0, eq));
        auto ip = eq == std::string::npos ? std::nullopt : net::parseIpv4(text.substr(eq + 1));
        if (!mac || !ip) {
            std::cerr << "--module-ip: expected MAC=A.B.C.D: " << text << "\n";
            return 1;
        }
        for (auto& m : devices.modules())
            if (m.mac == *mac) m.setIp(net::hostToOctets(*ip));
    }

    net::UdpOptions o;
    o.broadcast = true;
    o.reuseAddress = true;
    o.nonBlocking = true;
    int error = 0;
    o.localPort = g_options.mgmtPort;
    auto mgmt = net::openUdpSocket(o, error);
    if (!mgmt) {
        std::cerr << "cannot bind management port " << g_options.mgmtPort << ": error " << error
                  << "\n";
        return 2;
    }
    o.localPort = g_options.textPort;
    auto text = net::openUdpSocket(o, error);
    if (!text) {
        std::cerr << "cannot bind text port " << g_options.textPort << ": error " << error << "\n";
        return 2;
    }

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);

    saveState(devices);
    std::cout << "lan ready mgmt=" << g_options.mgmtPort << " text=" << g_options.textPort
              << " modules=" << devices.modules().size()
              << " printers=" << devices.printers().size() << std::endl;

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.maxSeconds);
    while (!g_stop && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[2] = {{static_cast<int>(mgmt->fd()), POLLIN, 0}, {static_cast<int>(text->fd()), POLLIN, 0}};
        int rc = ::poll(fds, 2, g_delayed.empty() ? 100 : 5);
        sendDue(*mgmt);
        if (rc <= 0) continue;  // timeout, or a signal: the loop condition decides
        if (fds[0].revents & POLLIN)
            serve(*mgmt, [&](std::span<const uint8_t> d) { return devices.onManagement(d); });
        if (fds[1].revents & POLLIN)
            serve(*text, [&](std::span<const uint8_t> d) { return devices.onText(d); });
        saveState(devices);
    }
    saveState(devices);
    return 0;
}

void installLan(CLI::App& app, int& exitCode) {
    CLI::App* lan = app.add_subcommand("lan", "Simulated LAN modules and text-frame printers");
    lan->add_option("--modules", g_options.modules, "Management-protocol modules")
        ->check(CLI::Range(0, 200))
        ->capture_default_str();
    lan->add_option("--text-printers", g_options.printers, "Text-frame printers")
        ->check(CLI::Range(0, 15))
        ->capture_default_str();
    lan->add_option("--mgmt-port", g_options.mgmtPort, "Management port to serve")
        ->capture_default_str();
    lan->add_option("--text-port", g_options.textPort, "Text-frame port to serve")
        ->capture_default_str();
    lan->add_option("--protocol-key", g_options.protocolKey,
                    "Management key prefix, 28 hex digits");
    lan->add_option("--silent-writes", g_options.silentWrites,
                    "This module answers searches but not writes (repeatable)");
    lan->add_option("--module-ip", g_options.moduleIps,
                    "Give a module this address: MAC=A.B.C.D (repeatable)");
    lan->add_option("--state", g_options.statePath, "Keep the devices' state as JSON in this file");
    lan->add_flag("--mixed", g_options.mixed,
                  "Modules of generations 1 to 3 with WPA2-PSK, WEP64 and WPA-PSK in turn");
    lan->add_option("--ssid-keeps", g_options.ssidKeeps,
                    "Fault: devices store at most this many bytes of a written SSID")
        ->check(CLI::Range(0, 32));
    lan->add_option(
        "--late-search", g_options.lateSearch,
        "This module answers a search this many milliseconds late: MAC=MS (repeatable)");
    lan->add_option("--hostile-texts", g_options.hostileTexts,
                    "Text-frame printers whose MAC text and SSID carry every byte value, 8 each, "
                    "and which confirm saves without storing them")
        ->check(CLI::Range(0, 32));
    lan->add_option("--max-seconds", g_options.maxSeconds, "Stop after this long")
        ->capture_default_str();
    lan->callback([&exitCode] { exitCode = runLan(); });
}

ModeRegistrar g_lanMode("lan", &installLan);

}  // namespace
}  // namespace setrion::sim::lan
