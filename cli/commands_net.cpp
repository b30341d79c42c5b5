// `net search` and `net save`: the LAN search and save over the management and
// text-frame protocols.
#include <iostream>

#include "cli/change_report.h"
#include "cli/cli_app.h"
#include "cli/profile_notes.h"
#include "cli/secret_input.h"
#include "common/clock.h"
#include "common/device_text.h"
#include "common/interrupt.h"
#include "wifi/net/fleet_apply.h"
#include "wifi/net/module_report.h"
#include "wifi/net/network_save.h"
#include "wifi/net/network_search.h"
#include "wifi/net/profile_edit.h"
#include "wifi/net/save_result.h"
#include "wifi/net/write_checks.h"
#include "wifi/settings/ini_profile.h"

namespace setrion::cli {
namespace {

using namespace setrion::net;

struct NetOptions {
    std::string broadcast = "255.255.255.255";
    uint16_t mgmtPort = kDefaultManagementPort;
    std::optional<uint16_t> mgmtLocalPort;
    uint16_t textPort = kDefaultTextPort;
    std::optional<uint16_t> textLocalPort;
    SecretOption protocolKey{{}, {}, "SETRION_PROTOCOL_KEY"};
    bool allInterfaces = false;
    std::string mac;
    std::string file;
    SecretOption password{{}, {}, "SETRION_PASSWORD"};
    std::string resultFile = "./result.out";
    ChangeOptions change;
};

NetOptions g_net;

// Fills the configuration; a usage message on a bad value.
std::string makeConfig(NetConfig& c) {
    auto ip = parseIpv4(g_net.broadcast);
    if (!ip) return "--broadcast: not an IPv4 address: " + g_net.broadcast;
    c.broadcast = *ip;
    c.mgmtPort = g_net.mgmtPort;
    c.mgmtLocalPort = g_net.mgmtLocalPort.value_or(g_net.mgmtPort);
    c.textPort = g_net.textPort;
    c.textLocalPort = g_net.textLocalPort.value_or(g_net.textPort);
    if (std::string why = readProtocolKey(g_net.protocolKey, c.protocolKey); !why.empty())
        return why;
    c.allInterfaces = g_net.allInterfaces;
    return {};
}

nlohmann::json viewJson(const PrinterView& v) {
    return {{"mac", v.mac},
            {"kind", v.kind},
            {"ip", v.ip},
            {"netmask", v.netmask},
            {"gateway", v.gateway},
            {"dns", v.dns},
            {"ssid", v.ssid},
            {"mode", v.mode},
            {"channel", v.channel},
            {"encryption", v.encryption},
            {"authentication", v.authentication},
            {"key_in_use", v.keyInUse},
            {"wpa_authentication", v.wpaAuthentication},
            {"wpa_encryption", v.wpaEncryption},
            {"wpa_key", v.wpaKey},
            {"tcp_port", v.tcpPort},
            {"dhcp", v.dhcp}};
}

PrinterView lineView(const NetworkSearchResult& r, const NetworkLine& l) {
    return l.kind == NetworkLine::Kind::Module ? describeModule(r.modules[l.index])
                                               : describeTextRecord(r.textRecords[l.index]);
}

struct SearchRun {
    ItemBlockStore blocks;
    ManagementContext ctx;
    NetworkSearchResult result;
    std::string usage;
};

void runSearch(SearchRun& run) {
    run.usage = makeConfig(run.ctx.config);
    if (!run.usage.empty()) return;
    run.ctx.blocks = &run.blocks;
    if (run.ctx.config.allInterfaces) run.ctx.extraBroadcasts = interfaceBroadcasts();
    NetworkSearch search(run.ctx);
    run.result = search.run();
}

void netSearch(CommandContext& ctx) {
    SearchRun run;
    runSearch(run);
    if (!run.usage.empty()) {
        ctx.usageError(run.usage);
        return;
    }
    if (run.result.lines.empty()) {
        if (!run.result.failure.empty()) *ctx.err << run.result.failure << "\n";
        ctx.deviceFailure(net::kNothingFoundText);
        return;
    }
    if (ctx.options.json) {
        nlohmann::json all = nlohmann::json::array();
        for (const auto& l : run.result.lines) all.push_back(viewJson(lineView(run.result, l)));
        ctx.printJson(all);
    } else {
        for (const auto& l : run.result.lines) {
            PrinterView v = lineView(run.result, l);
            *ctx.out << terminalText(v.mac) << " " << v.ip << " " << terminalText(v.ssid) << " "
                     << v.kind << "\n";
        }
    }
    ctx.exitCode = kExitOk;
}

// What a save of `edit` would change on the printer of `line`; the refusal of a value, or "".
std::string saveDiff(const NetworkSearchResult& found, const NetworkLine& line,
                     const NetworkEdit& edit, std::vector<wifi::SettingChange>& diff) {
    if (line.kind == NetworkLine::Kind::Module) {
        const DiscoveredPrinter& record = found.modules[line.index];
        DiscoveredPrinter expected = record;
        if (std::string refused = applyModuleEdit(expected, edit); !refused.empty()) return refused;
        diff = wifi::diffSettings(reportedSettings(expected), reportedSettings(record));
        return {};
    }
    const wifi::WifiSettings& record = found.textRecords[line.index];
    wifi::WifiSettings expected = record;
    if (std::string refused = applyTextEdit(expected, edit); !refused.empty()) return refused;
    diff = wifi::diffSettings(wifi::reportedSettings(expected, true),
                              wifi::reportedSettings(record, true));
    return {};
}

void netSave(CommandContext& ctx) {
    auto mac = parseMac(g_net.mac);
    if (!mac) {
        ctx.usageError("not a MAC address: " + g_net.mac);
        return;
    }
    std::array<uint8_t, 10> password{};
    if (std::string why = readModulePassword(g_net.password, password); !why.empty()) {
        ctx.usageError(why);
        return;
    }
    // The whole file is validated before any socket opens.
    wifi::ProfileResult profile = wifi::loadSettingsProfile(g_net.file);
    if (!profile.ok()) {
        ctx.usageError(profile.error.message);
        return;
    }
    noteIgnoredKeys(*profile.patch, *ctx.err);
    SearchRun run;
    runSearch(run);
    if (!run.usage.empty()) {
        ctx.usageError(run.usage);
        return;
    }
    if (interruptRequested()) return;  // nothing sent yet
    const NetworkLine* line = nullptr;
    for (const auto& l : run.result.lines)
        if (l.macText == formatMac(*mac)) line = &l;
    if (!line) {
        ctx.deviceFailure(run.result.lines.empty()
                              ? net::kNothingFoundText
                              : "No printer with MAC " + formatMac(*mac) + " answered.");
        return;
    }
    bool module = line->kind == NetworkLine::Kind::Module;
    NetworkEdit edit;
    if (std::string error = networkEditFromPatch(*profile.patch, module, edit); !error.empty()) {
        ctx.usageError(g_net.file + ": " + error);
        return;
    }
    if (module && !edit.ip) {
        // Without a new address a module keeps its configured one, not the address it answered
        // from (that differs behind a NAT or on loopback), as net apply does.
        const DiscoveredPrinter& r = run.result.modules[line->index];
        edit.ip = ipAddressUsable(octetsToHost(r.ipAddress), octetsToHost(r.subnetMask))
                      ? octetsToHost(r.ipAddress)
                      : octetsToHost(r.replyAddress);
    }
    const ChangeOptions& change = g_net.change;
    std::vector<wifi::SettingChange> diff;
    // The settings as a save sees them: a module's configured address, not the one it answered
    // from.
    PrinterView current = lineView(run.result, *line);
    if (module) current.ip = formatIpv4(run.result.modules[line->index].ipAddress);
    if (std::string refused = saveDiff(run.result, *line, edit, diff); !refused.empty()) {
        ctx.deviceFailure(refused);
        return;
    }
    const nlohmann::json identity = {{"mac", line->macText}};
    if (endsBeforeWrite(ctx, change, diff, viewJson(current), identity)) return;
    // The save commits: once sent, its answer is awaited whole so the outcome is known.
    InterruptShield shield;
    std::string message;
    wifi::SettingsPatch written;  // everything the save sent, as profile values
    if (module) {
        DiscoveredPrinter& record = run.result.modules[line->index];
        DiscoveredPrinter expected = record;
        applyModuleEdit(expected, edit);
        written = reportedSettings(expected);
        ModuleSaveResult r = saveModule(run.ctx, record, edit, password);
        if (!r.ok()) {
            ctx.deviceFailure(r.message);
            return;
        }
        message = r.message;
    } else {
        TextSaveResult r =
            saveTextRecord(run.ctx.config, systemClock(), run.result.textRecords[line->index], edit,
                           g_net.resultFile);
        if (!r.confirmed) {
            ctx.deviceFailure(r.message);
            return;
        }
        if (!r.resultFileError.empty()) *ctx.err << r.message << "\n";
        message = r.resultFileError.empty() ? r.message : "";
        written = wifi::reportedSettings(r.sent, true);
    }
    ctx.stored = "stored on " + formatMac(*mac);
    // Read back: one more search, ended when the printer has answered, compared value by value.
    NetworkSearch verify(run.ctx);
    NetworkSearchResult after = verify.run(300, {line->macText});
    auto differences = readBack(after, line->macText, module, written);
    if (!differences) {
        ctx.deviceFailure(kNotVerifiedSilentText);
        return;
    }
    const NetworkLine* now = nullptr;
    for (const auto& l : after.lines)
        if (l.macText == line->macText) now = &l;
    PrinterView shown = lineView(after, *now);
    if (module) shown.ip = formatIpv4(after.modules[now->index].ipAddress);
    if (!differences->empty()) {
        printNotVerified(ctx, change, diff, *differences, viewJson(shown), identity);
        return;
    }
    if (message.empty()) {
        ctx.exitCode = kExitResultFile;  // saved and verified, but the result file failed
        return;
    }
    printWritten(ctx, change, diff, message, viewJson(shown), identity);
}

void installNetCommands(CLI::App& app, CommandContext& ctx) {
    CLI::App* net =
        app.add_subcommand("net", "Search the LAN for printers and save their settings");
    net->require_subcommand(1);
    net->add_option("--broadcast", g_net.broadcast, "Broadcast address of the searches and saves")
        ->capture_default_str();
    // Port 0 names no peer (it would search nothing and report nothing found).
    net->add_option("--mgmt-port", g_net.mgmtPort, "The modules' management port")
        ->check(CLI::Range(1, 65535))
        ->capture_default_str();
    net->add_option("--mgmt-local-port", g_net.mgmtLocalPort,
                    "Management port bound here (default: --mgmt-port)");
    net->add_option("--text-port", g_net.textPort, "The printers' text-frame port")
        ->check(CLI::Range(1, 65535))
        ->capture_default_str();
    net->add_option("--text-local-port", g_net.textLocalPort,
                    "Text-frame port bound here (default: --text-port)");
    addSecretOptions(*net, "protocol-key", g_net.protocolKey,
                     "Management key prefix, 28 hex digits");
    net->add_flag("--all-interfaces", g_net.allInterfaces,
                  "Also search on the directed broadcast address of every IPv4 interface");

    CLI::App* search =
        net->add_subcommand("search", "List the printers that answer (MAC IP SSID kind)");
    search->callback([&ctx] { netSearch(ctx); });

    CLI::App* save = net->add_subcommand(
        "save", "Apply the keys of FILE (JSON or Wi-Fi INI) to the printer MAC and write it");
    save->add_option("MAC", g_net.mac, "The printer's MAC address")->required();
    save->add_option(
            "FILE", g_net.file,
            "JSON object with the keys of `net search --json`, or the Wi-Fi INI file (.ini)")
        ->required();
    addSecretOptions(*save, "password", g_net.password,
                     "The module's password, at most 10 characters");
    save->add_option("--result-file", g_net.resultFile,
                     "Where a text-frame save keeps the record sent (exit 3: saved, but this file "
                     "not written)")
        ->capture_default_str();
    addChangeOptions(*save, g_net.change);
    save->callback([&ctx] { netSave(ctx); });
}

CommandGroupRegistrar g_netGroup("net", &installNetCommands);

}  // namespace
}  // namespace setrion::cli
