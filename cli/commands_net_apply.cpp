// `net apply PROFILE`: one profile to many printers on the LAN, with static addresses handed
// out in MAC order when asked, and a search afterwards that verifies each printer.
#include <cstdio>
#include <memory>
#include <ostream>

#include "cli/change_report.h"
#include "cli/cli_app.h"
#include "cli/profile_notes.h"
#include "cli/progress_board.h"
#include "cli/secret_input.h"
#include "cli/stored_summary.h"
#include "common/device_text.h"
#include "wifi/net/fleet_apply.h"
#include "wifi/net/network_search.h"
#include "wifi/net/profile_edit.h"
#include "wifi/settings/ini_profile.h"

namespace setrion::cli {
namespace {

using namespace setrion::net;

struct ApplyOptions {
    std::string profile;
    bool all = false;
    std::vector<std::string> macs;
    std::string ipFrom;
    SecretOption password{{}, {}, "SETRION_PASSWORD"};
    std::string resultFile = "./result.out";
    ChangeOptions change;
};

// The `net` group's own options, read back from the parsed command line.
std::string netConfigFrom(CLI::App& net, NetConfig& c) {
    auto text = [&](const char* name) { return net.get_option(name)->as<std::string>(); };
    auto port = [&](const char* name, const char* fallback) -> std::optional<uint16_t> {
        CLI::Option* o = net.get_option(name);
        if (o->count() == 0 && !fallback) return std::nullopt;
        return (o->count() == 0 ? net.get_option(fallback) : o)->as<uint16_t>();
    };
    auto ip = parseIpv4(text("--broadcast"));
    if (!ip) return "--broadcast: not an IPv4 address: " + text("--broadcast");
    c.broadcast = *ip;
    c.mgmtPort = *port("--mgmt-port", "--mgmt-port");
    c.mgmtLocalPort = *port("--mgmt-local-port", "--mgmt-port");
    c.textPort = *port("--text-port", "--text-port");
    c.textLocalPort = *port("--text-local-port", "--text-port");
    const SecretOption key{text("--protocol-key"), text("--protocol-key-file"),
                           "SETRION_PROTOCOL_KEY"};
    if (std::string why = readProtocolKey(key, c.protocolKey); !why.empty()) return why;
    c.allInterfaces = net.get_option("--all-interfaces")->count() > 0;
    return {};
}

std::string joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& k : v) s += (s.empty() ? "" : ",") + k;
    return s.empty() ? "-" : s;
}

// A device text (a text-frame printer's MAC field is bytes) as the terminal may show it.
std::string column(std::string s, size_t width) {
    s = terminalText(s);
    if (s.size() < width) s.resize(width, ' ');
    return s + "  ";
}

void printPlan(CommandContext& ctx, const FleetPlan& plan, bool showSecrets) {
    if (ctx.options.json) {
        nlohmann::json all = nlohmann::json::array();
        for (const auto& r : plan.rows) {
            nlohmann::json j = {{"mac", r.mac},
                                {"current_ip", r.oldIp},
                                {"new_ip", r.newIp},
                                {"changes", r.changes}};
            j.update(changeReportJson(r.diff, showSecrets));
            if (!r.found || !r.refusal.empty()) j["refused"] = r.found ? r.refusal : r.message;
            all.push_back(j);
        }
        ctx.printJson(all);
        return;
    }
    *ctx.out << column("MAC", 17) << column("CURRENT IP", 15) << column("NEW IP", 15)
             << "CHANGES\n";
    for (const auto& r : plan.rows) {
        *ctx.out << column(r.mac, 17) << column(r.oldIp, 15) << column(r.newIp, 15)
                 << joined(r.changes);
        if (!r.found)
            *ctx.out << "  (" << terminalText(r.message) << ")";
        else if (!r.refusal.empty())
            *ctx.out << "  (refused: " << terminalText(r.refusal) << ")";
        *ctx.out << "\n";
        if (r.found) printChanges(*ctx.out, r.diff, showSecrets, "    ");
    }
}

void printResult(CommandContext& ctx, const FleetPlan& plan, bool showSecrets) {
    if (ctx.options.json) {
        nlohmann::json all = nlohmann::json::array();
        for (const auto& r : plan.rows)
            all.push_back({{"mac", r.mac},
                           {"old_ip", r.oldIp},
                           {"new_ip", r.newIp},
                           {"result", r.message},
                           {"verified", r.verified},
                           {"changed", r.written},
                           {"skipped", r.skipped},
                           {"diff", changesJson(r.diff, showSecrets)}});
        ctx.printJson(all);
        return;
    }
    *ctx.out << column("MAC", 17) << column("OLD IP", 15) << column("NEW IP", 15)
             << column("VERIFIED", 8) << "RESULT\n";
    for (const auto& r : plan.rows)
        *ctx.out << column(r.mac, 17) << column(r.oldIp, 15) << column(r.newIp, 15)
                 << column(r.skipped    ? "-"
                           : r.verified ? "yes"
                                        : "no",
                           8)
                 << terminalText(r.message) << "\n";
}

// Printers past the search's capacity answered but were neither planned nor written: they
// are named on stderr and the run fails (exit 2). False when there are none.
bool reportedLeftOut(CommandContext& ctx, const NetworkSearchResult& found) {
    if (found.leftOut.empty()) return false;
    *ctx.err << "left out (more than " << kSearchCapacity << " printers of a kind answered):";
    for (const auto& mac : found.leftOut) *ctx.err << " " << terminalText(mac);
    *ctx.err << "\n";
    ctx.exitCode = kExitDevice;
    return true;
}

void netApply(CommandContext& ctx, CLI::App& net, const ApplyOptions& o) {
    FleetRequest request;
    request.all = o.all;
    for (const auto& text : o.macs) {
        auto mac = parseMac(text);
        if (!mac) {
            ctx.usageError("not a MAC address: " + text);
            return;
        }
        request.macs.push_back(*mac);
    }
    if (o.all == !o.macs.empty()) {
        ctx.usageError("net apply: give --all or one or more --mac");
        return;
    }
    if (!o.ipFrom.empty()) {
        request.ipFrom = parseIpv4(o.ipFrom);
        if (!request.ipFrom) {
            ctx.usageError("--ip-from: not an IPv4 address: " + o.ipFrom);
            return;
        }
    }
    if (std::string why = readModulePassword(o.password, request.password); !why.empty()) {
        ctx.usageError(why);
        return;
    }
    request.resultFile = o.resultFile;
    request.skipUnchanged = o.change.skipUnchanged;

    // The whole profile is validated before the search, so nothing is sent for a bad file.
    wifi::ProfileResult profile = wifi::loadSettingsProfile(o.profile);
    if (!profile.ok()) {
        ctx.usageError(profile.error.message);
        return;
    }
    noteIgnoredKeys(*profile.patch, *ctx.err);
    // A value one kind of printer has no room for refuses the printers of that kind only.
    request.moduleRefusal = networkEditFromPatch(*profile.patch, true, request.moduleEdit);
    request.textRefusal = networkEditFromPatch(*profile.patch, false, request.textEdit);

    ManagementContext mctx;
    ItemBlockStore blocks;
    if (std::string usage = netConfigFrom(net, mctx.config); !usage.empty()) {
        ctx.usageError(usage);
        return;
    }
    mctx.blocks = &blocks;
    if (mctx.config.allInterfaces) mctx.extraBroadcasts = interfaceBroadcasts();
    // Named printers are a known set: the search ends when all of them have answered, unless
    // the addresses handed out skip those in use, which any printer may hold: then the
    // search runs its whole window.
    std::vector<std::string> wanted;
    if (!request.ipFrom)
        for (const auto& mac : request.macs) wanted.push_back(formatMac(mac));
    NetworkSearch search(mctx);
    NetworkSearchResult found = search.run(300, wanted);
    if (found.lines.empty()) {
        if (!found.failure.empty()) *ctx.err << found.failure << "\n";
        ctx.deviceFailure(net::kNothingFoundText);
        return;
    }
    FleetPlan plan = planFleet(found, request);
    if (!plan.error.empty()) {
        ctx.usageError(plan.error);
        return;
    }
    if (o.change.dryRun) {
        printPlan(ctx, plan, o.change.showSecrets);
        bool allPlanned = std::all_of(plan.rows.begin(), plan.rows.end(), [](const FleetRow& r) {
            return r.found && r.refusal.empty();
        });
        ctx.exitCode = allPlanned ? kExitOk : kExitDevice;
        reportedLeftOut(ctx, found);
        return;
    }

    std::vector<std::string> names;
    for (const auto& r : plan.rows) names.push_back(terminalText(r.mac));
    ProgressBoard board(*ctx.err, streamIsTerminal(*ctx.err), names);
    runFleet(mctx, found, plan, request,
             [&](size_t row, FleetStep step, const std::string& detail) {
                 std::string state(fleetStepText(step));
                 if (!detail.empty()) state += ": " + detail;
                 board.update(row, terminalText(state));
             });
    printResult(ctx, plan, o.change.showSecrets);
    ctx.stored = fleetStoredSummary(plan);
    if (reportedLeftOut(ctx, found)) return;
    bool allGood = std::all_of(plan.rows.begin(), plan.rows.end(),
                               [](const FleetRow& r) { return r.verified || r.skipped; });
    bool fileMissing = std::any_of(plan.rows.begin(), plan.rows.end(),
                                   [](const FleetRow& r) { return r.resultFileMissing; });
    ctx.exitCode = !allGood ? kExitDevice : fileMissing ? kExitResultFile : kExitOk;
}

void installNetApply(CLI::App& app, CommandContext& ctx) {
    CLI::App* net = app.get_subcommand("net");
    auto o = std::make_shared<ApplyOptions>();
    CLI::App* apply = net->add_subcommand(
        "apply", "Apply a profile to many printers: one search, the writes, one search to verify");
    apply
        ->add_option(
            "PROFILE", o->profile,
            "JSON object with the keys of `wifi read --json`, or the Wi-Fi INI file (.ini)")
        ->required();
    apply->add_flag("--all", o->all, "Every printer that answers the search");
    apply->add_option("--mac", o->macs, "A printer to write (repeatable)");
    apply->add_option(
        "--ip-from", o->ipFrom,
        "Static addresses from this one, in MAC order, DHCP off; addresses in use are skipped");
    addSecretOptions(*apply, "password", o->password,
                     "The modules' password, at most 10 characters");
    apply
        ->add_option("--result-file", o->resultFile,
                     "Where a text-frame save keeps the record sent (exit 3: all verified, but "
                     "this file not written)")
        ->capture_default_str();
    addChangeOptions(*apply, o->change);
    apply->callback([&ctx, net, o] { netApply(ctx, *net, *o); });
}

// Registered after "net" (the registry runs in name order), so the group exists.
CommandGroupRegistrar g_netApplyGroup("net-apply", &installNetApply);

}  // namespace
}  // namespace setrion::cli
