#include "cli/stored_summary.h"

#include <utility>
#include <vector>

#include "common/device_text.h"

namespace setrion::cli {

namespace {
std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names) out += (out.empty() ? "" : ", ") + n;
    return out;
}
}  // namespace

std::string storedKeysSummary(const wifi::SettingsPatch& p) {
    const std::pair<const char*, bool> keys[] = {
        {"ssid", p.ssid.has_value()},
        {"dhcp", p.dhcp.has_value()},
        {"ip", p.ip.has_value()},
        {"netmask", p.netmask.has_value()},
        {"gateway", p.gateway.has_value()},
        {"dns", p.dns.has_value()},
        {"mode", p.mode.has_value()},
        {"channel", p.channel.has_value()},
        {"encryption", p.encryption.has_value()},
        {"authentication", p.authentication.has_value()},
        {"key_in_use", p.keyInUse.has_value()},
        {"wpa_authentication", p.wpaAuthentication.has_value()},
        {"wpa_encryption", p.wpaEncryption.has_value()},
        {"wpa_key", p.wpaKey.has_value()},
        {"tcp_port", p.tcpPort.has_value()},
        {"wep_keys", p.wepKeys.has_value()},
        {"lpd_enable", p.lpdEnable.has_value()},
        {"lpd_queue", p.lpdQueue.has_value()},
        {"channel_text", p.channelText.has_value()},
    };
    std::vector<std::string> set;
    for (const auto& [name, present] : keys)
        if (present) set.emplace_back(name);
    return set.empty() ? "stored the settings read back unchanged" : "stored " + joined(set);
}

std::string fleetStoredSummary(const net::FleetPlan& plan) {
    std::vector<std::string> written;
    std::vector<std::string> unknown;
    for (const auto& row : plan.rows) {
        if (row.written)
            written.push_back(terminalText(row.mac));
        else if (row.unanswered)
            unknown.push_back(terminalText(row.mac));
    }
    const std::string of = " of " + std::to_string(plan.rows.size()) + " printers (";
    std::string out;
    if (!written.empty())
        out = "stored on " + std::to_string(written.size()) + of + joined(written) + ")";
    // A write that went out unanswered may have been stored: it is not counted as either.
    if (!unknown.empty())
        out += (out.empty() ? "unknown on " + std::to_string(unknown.size()) + of
                            : "; unknown on " + std::to_string(unknown.size()) + " (") +
               joined(unknown) + "): sent, not answered";
    return out;
}

}  // namespace setrion::cli
