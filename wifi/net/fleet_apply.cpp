#include "wifi/net/fleet_apply.h"

#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include "common/interrupt.h"
#include "wifi/net/fleet_writer.h"
#include "wifi/net/module_report.h"
#include "wifi/net/network_save.h"
#include "wifi/net/save_result.h"
#include "wifi/net/write_checks.h"

namespace setrion::net {
namespace {

constexpr const char* kWrongIp = "Wrong Local IP address.";

// The MAC bytes a line sorts by; a text printer whose MAC text does not parse sorts last.
MacAddress sortKey(const std::string& macText) {
    auto mac = parseMac(macText);
    return mac ? *mac : MacAddress{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
}

const NetworkLine* lineOf(const NetworkSearchResult& s, const std::string& macText) {
    for (const auto& l : s.lines)
        if (l.macText == macText) return &l;
    return nullptr;
}

// What the printer of a row is sent: the search record with the row's edit applied.
// Returns the refusal of a value, or "".
std::string expectedModule(const DiscoveredPrinter& found, const NetworkEdit& e,
                           DiscoveredPrinter& out) {
    out = found;
    if (std::string refused = applyModuleEdit(out, e); !refused.empty()) return refused;
    if (!ipAddressUsable(octetsToHost(out.ipAddress), octetsToHost(out.subnetMask)))
        return kWrongIp;
    return {};
}

std::string expectedText(const wifi::WifiSettings& found, const NetworkEdit& e,
                         wifi::WifiSettings& out) {
    out = found;
    return applyTextEdit(out, e);
}

}  // namespace

std::string_view fleetStepText(FleetStep step) {
    switch (step) {
        case FleetStep::Planned:
            return "planned";
        case FleetStep::Writing:
            return "writing";
        case FleetStep::Written:
            return "written";
        case FleetStep::Verifying:
            return "verifying";
        case FleetStep::Done:
            return "done";
        case FleetStep::Failed:
            return "failed";
    }
    return "";
}

FleetPlan planFleet(const NetworkSearchResult& search, const FleetRequest& request) {
    FleetPlan plan;
    std::set<std::string> chosen;
    if (request.all) {
        for (const auto& l : search.lines) chosen.insert(l.macText);
    } else {
        for (const auto& m : request.macs) chosen.insert(formatMac(m));
    }
    for (const auto& macText : chosen) {
        FleetRow row;
        row.mac = macText;
        if (const NetworkLine* l = lineOf(search, macText)) {
            row.module = l->kind == NetworkLine::Kind::Module;
            row.index = l->index;
        } else {
            row.found = false;
            row.message = "No printer with MAC " + macText + " answered.";
        }
        plan.rows.push_back(std::move(row));
    }
    std::stable_sort(plan.rows.begin(), plan.rows.end(), [](const FleetRow& a, const FleetRow& b) {
        return sortKey(a.mac) < sortKey(b.mac);
    });

    // Who uses which address among the printers that answered.
    std::multimap<uint32_t, std::string> inUse;
    for (const auto& l : search.lines) {
        if (l.kind == NetworkLine::Kind::Module) {
            const DiscoveredPrinter& r = search.modules[l.index];
            inUse.emplace(octetsToHost(r.ipAddress), l.macText);
            inUse.emplace(octetsToHost(r.replyAddress), l.macText);
        } else {
            auto o = search.textRecords[l.index].address(wifi::field::kIp);
            inUse.emplace(octetsToHost({o[0], o[1], o[2], o[3]}), l.macText);
        }
    }
    auto usedByAnother = [&](uint32_t ip, const std::string& mac) {
        auto [from, to] = inUse.equal_range(ip);
        return std::any_of(from, to, [&](const auto& e) { return e.second != mac; });
    };

    size_t found = std::count_if(plan.rows.begin(), plan.rows.end(),
                                 [](const FleetRow& r) { return r.found; });
    bool profileIp = request.moduleEdit.ip.has_value() || request.textEdit.ip.has_value();
    if (!request.ipFrom && profileIp && found > 1) {
        plan.error = "The profile's ip would be given to every target: use --ip-from, or one --mac";
        return plan;
    }

    bool assign = request.ipFrom.has_value();
    uint64_t next = request.ipFrom.value_or(0);
    for (auto& row : plan.rows) {
        if (!row.found) continue;
        row.edit = row.module ? request.moduleEdit : request.textEdit;
        const std::string& kindRefusal = row.module ? request.moduleRefusal : request.textRefusal;
        if (!kindRefusal.empty()) row.refusal = kindRefusal;

        uint32_t mask = 0;
        if (row.module) {
            const DiscoveredPrinter& r = search.modules[row.index];
            row.oldIp = formatIpv4(r.ipAddress);
            mask = row.edit.netmask.value_or(octetsToHost(r.subnetMask));
            // Without a new address a module keeps its own (the dialog would take the
            // address it answered from, which differs behind a NAT or on loopback).
            if (!row.edit.ip)
                row.edit.ip = ipAddressUsable(octetsToHost(r.ipAddress), octetsToHost(r.subnetMask))
                                  ? octetsToHost(r.ipAddress)
                                  : octetsToHost(r.replyAddress);
        } else {
            const auto& t = search.textRecords[row.index];
            auto o = t.address(wifi::field::kIp);
            row.oldIp = formatIpv4(Ipv4Octets{o[0], o[1], o[2], o[3]});
            auto m = t.address(wifi::field::kSubnet);
            mask = row.edit.netmask.value_or(octetsToHost({m[0], m[1], m[2], m[3]}));
        }
        if (assign) {
            while (next <= 0xFFFFFFFFull && usedByAnother(static_cast<uint32_t>(next), row.mac))
                ++next;
            if (next > 0xFFFFFFFFull) {
                plan.error = "--ip-from: the addresses run out before " + row.mac;
                return plan;
            }
            uint32_t ip = static_cast<uint32_t>(next);
            if (!ipAddressUsable(ip, mask)) {
                plan.error = "--ip-from: " + formatIpv4(ip) + " for " + row.mac + ": " + kWrongIp;
                return plan;
            }
            row.edit.ip = ip;
            row.edit.dhcp = false;
            ++next;
        }

        if (row.module) {
            const DiscoveredPrinter& r = search.modules[row.index];
            DiscoveredPrinter expected;
            std::string refused = expectedModule(r, row.edit, expected);
            if (row.refusal.empty()) row.refusal = refused;
            row.newIp = formatIpv4(expected.ipAddress);
            row.diff = wifi::diffSettings(reportedSettings(expected), reportedSettings(r));
        } else {
            const auto& t = search.textRecords[row.index];
            wifi::WifiSettings expected;
            std::string refused = expectedText(t, row.edit, expected);
            if (row.refusal.empty()) row.refusal = refused;
            auto o = expected.address(wifi::field::kIp);
            row.newIp = formatIpv4(Ipv4Octets{o[0], o[1], o[2], o[3]});
            row.diff = wifi::diffSettings(wifi::reportedSettings(expected, true),
                                          wifi::reportedSettings(t, true));
        }
        for (const auto& c : row.diff) row.changes.push_back(c.key);
    }
    return plan;
}

void runFleet(ManagementContext& ctx, NetworkSearchResult& search, FleetPlan& plan,
              const FleetRequest& request, const FleetProgress& progress) {
    auto report = [&](size_t row, FleetStep step, const std::string& detail) {
        if (progress) progress(row, step, detail);
    };
    std::vector<FleetWrite> writes;
    std::vector<size_t> writeRow;  // row of each write
    std::vector<size_t> textRows;
    std::map<size_t, wifi::SettingsPatch> expected;  // row -> what it should report afterwards
    for (size_t i = 0; i < plan.rows.size(); ++i) {
        FleetRow& row = plan.rows[i];
        if (!row.found || !row.refusal.empty()) {
            if (row.message.empty()) row.message = row.refusal;
            report(i, FleetStep::Failed, row.message);
            continue;
        }
        if (request.skipUnchanged && row.diff.empty()) {
            row.skipped = true;
            row.message = kUnchangedText;
            report(i, FleetStep::Done, row.message);
            continue;
        }
        if (row.module) {
            FleetWrite w;
            expectedModule(search.modules[row.index], row.edit, w.record);
            expected[i] = reportedSettings(w.record);
            writes.push_back(std::move(w));
            writeRow.push_back(i);
        } else {
            textRows.push_back(i);
        }
    }

    // Text-frame saves use their own socket and port, so they run beside the module writes;
    // each side fills only its own rows and its own map.
    std::map<size_t, wifi::SettingsPatch> textExpected;
    auto writeTexts = [&] {
        for (size_t i : textRows) {
            FleetRow& row = plan.rows[i];
            if (interruptRequested()) {
                row.message = saveErrorMessage(kCodeNotSent);
                report(i, FleetStep::Failed, row.message);
                continue;
            }
            InterruptShield shield;  // a save once sent is awaited whole
            report(i, FleetStep::Writing, "");
            TextSaveResult r = saveTextRecord(ctx.config, *ctx.clock, search.textRecords[row.index],
                                              row.edit, request.resultFile, ctx.openSocket);
            row.message = r.message;
            row.written = r.confirmed;
            row.unanswered = r.frameSent && !r.confirmed;
            row.resultFileMissing = !r.resultFileError.empty();
            if (r.confirmed) textExpected[i] = wifi::reportedSettings(r.sent, true);
            report(i, r.confirmed ? FleetStep::Written : FleetStep::Failed, row.message);
        }
    };
    std::thread texts;
    if (!textRows.empty()) texts = std::thread(writeTexts);

    writeModulesTogether(
        ctx, writes, request.password, kMaxOutstandingWrites, [&](size_t w, bool sent) {
            size_t i = writeRow[w];
            FleetRow& row = plan.rows[i];
            if (sent) {
                row.unanswered = true;
                report(i, FleetStep::Writing, "");
                return;
            }
            int code = writes[w].code;
            row.written = code == kCodeSuccess;
            if (code == kCodeSuccess || code == kCodePasswordMismatch ||
                code == kCodeProductIdMismatch || code == kCodeUnknownError)
                row.unanswered = false;
            row.message = row.written ? kSaveCompleted : saveErrorMessage(code);
            // A module's answer (success or a status error) is what it now holds.
            if (code == kCodeSuccess || code == kCodePasswordMismatch ||
                code == kCodeProductIdMismatch || code == kCodeUnknownError)
                search.modules[row.index] = writes[w].record;
            report(i, row.written ? FleetStep::Written : FleetStep::Failed, row.message);
        });
    if (texts.joinable()) texts.join();
    expected.merge(textExpected);

    bool anyWritten = std::any_of(plan.rows.begin(), plan.rows.end(),
                                  [](const FleetRow& r) { return r.written; });
    // An interrupted run skips the verifying search: what was written is known already.
    if (!anyWritten || interruptRequested()) return;
    for (size_t i = 0; i < plan.rows.size(); ++i)
        if (plan.rows[i].written) report(i, FleetStep::Verifying, "");
    // The written printers are known: the verifying search ends when all have answered.
    std::vector<std::string> written;
    for (const auto& row : plan.rows)
        if (row.written) written.push_back(row.mac);
    NetworkSearch verify(ctx);
    NetworkSearchResult after = verify.run(300, written);
    for (size_t i = 0; i < plan.rows.size(); ++i) {
        FleetRow& row = plan.rows[i];
        if (!row.written) continue;
        if (auto differences = readBack(after, row.mac, row.module, expected[i])) {
            row.readBack = *differences;
            row.verified = differences->empty();
            if (!row.verified) row.message = wifi::readBackMessage(*differences);
        } else {
            row.message = kNotVerifiedSilentText;
        }
        report(i, row.verified ? FleetStep::Done : FleetStep::Failed, row.message);
    }
}

std::optional<std::vector<wifi::SettingChange>> readBack(const NetworkSearchResult& after,
                                                         const std::string& mac, bool module,
                                                         const wifi::SettingsPatch& written) {
    const NetworkLine* l = lineOf(after, mac);
    if (!l || (l->kind == NetworkLine::Kind::Module) != module) return std::nullopt;
    return wifi::readBackDifferences(
        written, module ? reportedSettings(after.modules[l->index])
                        : wifi::reportedSettings(after.textRecords[l->index], true));
}

}  // namespace setrion::net
