// wifi read, wifi write, wifi reset: the Wi-Fi module behind the printer link.
#include <memory>
#include <ostream>

#include "cli/cli_app.h"
#include "cli/network_edit.h"
#include "cli/printer_session.h"
#include "cli/stored_summary.h"
#include "common/device_text.h"
#include "wifi/module/command_mode_read.h"
#include "wifi/module/command_mode_write.h"
#include "wifi/module/factory_reset.h"
#include "wifi/module/module_connection.h"
#include "wifi/module/settings_block_exchange.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/ini_profile.h"
#include "wifi/settings/profile.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::cli {
namespace {

using nlohmann::json;
using namespace setrion::wifi;
using namespace setrion::wifi::field;

// The command-mode dialog's WPA lists (positions are the selections the save takes).
constexpr std::array<std::string_view, 3> kCmdWpaAuthTexts{"None Use", "WPA-PSK", "WPA2-PSK"};
constexpr std::array<std::string_view, 4> kCmdWpaEncTexts{"None Use", "TKIP", "AES", "TKIP+AES"};

// An open module: the printer link plus the module's command mode.
struct ModuleSession {
    std::unique_ptr<PrinterSession> printer;
    std::unique_ptr<ModuleConnection> conn;
    ~ModuleSession() {
        if (conn && conn->portOpen()) conn->closePort();
    }
};

std::unique_ptr<ModuleSession> openModule(CommandContext& ctx) {
    auto s = std::make_unique<ModuleSession>();
    // A print queue on the port's device refuses it before anything is opened; the queue
    // and its driver are traced.
    s->printer = PrinterSession::open(ctx, systemClock(), PortCheck{&ctx.spooler(), true});
    if (!s->printer) return nullptr;
    s->conn = std::make_unique<ModuleConnection>(s->printer->links(), s->printer->clock());
    LinkKind kind = s->printer->links().kind;
    // The printer session has opened the link already; the connection only takes it over.
    switch (s->conn->openPort(kind, [](LinkKind) { return true; })) {
        case OpenPortResult::Ok: return s;
        case OpenPortResult::OpenFailed: ctx.deviceFailure(kOpenPortFailedText); break;
        case OpenPortResult::NoBanner: ctx.deviceFailure(kIspModeSetFailedText); break;
    }
    return nullptr;
}

bool failed(CommandContext& ctx, const SequenceResult& r) {
    if (r.ok) return false;
    ctx.deviceFailure(r.message);
    return true;
}

int encryptionSelection(const WlanOptionsValue& o) {
    if (o.wpaMode != 0) return 3;
    return o.wepEncryption;
}
int wpaAuthSelection(const WlanOptionsValue& o) { return o.wpaMode == 2 ? 1 : o.wpaMode == 4 ? 2 : 0; }

template <size_t N>
std::string textAt(const std::array<std::string_view, N>& list, int i) {
    return (i >= 0 && static_cast<size_t>(i) < N) ? std::string(list[static_cast<size_t>(i)]) : "";
}

json commandModeJson(const ModuleConnection& conn, const CommandModeSettings& v) {
    return {{"module_kind", "command-mode"},
            {"generation", conn.moduleGeneration()},
            {"mac", v.macText},
            {"ssid", v.ssid},
            {"dhcp", v.dhcp},
            {"ip", dottedAddress(v.ip)},
            {"netmask", dottedAddress(v.netmask)},
            {"gateway", dottedAddress(v.gateway)},
            {"dns", dottedAddress(v.dns)},
            {"mode", textAt(kModeTexts, v.options.mode)},
            {"channel", v.options.channel},
            {"encryption", textAt(kEncryptionTexts, encryptionSelection(v.options))},
            {"authentication", textAt(kAuthenticationTexts, v.options.authentication)},
            {"key_in_use", v.options.keyInUse + 1},
            {"wpa_authentication", textAt(kCmdWpaAuthTexts, wpaAuthSelection(v.options))},
            {"wpa_encryption", textAt(kCmdWpaEncTexts, v.options.wpaCipher)},
            {"wpa_key", v.passphrase},
            {"tcp_port", v.tcpPort}};
}

json blockJson(const ModuleConnection& conn, const WifiSettings& r) {
    int wpa = r.choice(kWpa);
    return {{"module_kind", "settings-block"},
            {"generation", conn.moduleGeneration()},
            {"mac", r.text(kMacAddress)},
            {"ssid", r.text(kSsid)},
            {"dhcp", r.choice(kDhcp) == 1},
            {"ip", dottedAddress(r.address(kIp))},
            {"netmask", dottedAddress(r.address(kSubnet))},
            {"gateway", dottedAddress(r.address(kGateway))},
            {"dns", dottedAddress(r.address(kDns))},
            {"mode", textAt(kModeTexts, r.choice(kMode))},
            {"channel", r.channelTextNumber() >= 36 ? r.channelTextNumber() : r.channel()},
            {"encryption", textAt(kEncryptionTexts, r.choice(kEncryption))},
            {"authentication", textAt(kAuthenticationTexts, r.choice(kAuthentication))},
            {"key_in_use", r.choice(kUseKey)},  // the record holds '1'..'4'
            {"wpa_authentication", wpa > 0 ? textAt(kWpaTexts, wpa) : "None"},
            {"wpa_encryption", textAt(kWpaEncTexts, r.choice(kWpaEnc))},
            {"wpa_key", r.text(kWpaKey)},
            {"tcp_port", r.tcpPort()},
            {"lpd_enable", r.choice(kLpdEnable) == 1},
            {"lpd_queue", r.text(kLpdQueue)},
            {"channel_text", r.text(kChannelText)}};
}

// Device texts follow the output rules of common/device_text.h.
void printSettings(CommandContext& ctx, json j) {
    if (ctx.options.json) {
        ctx.printJson(j);
        return;
    }
    for (auto& [key, value] : j.items())
        ctx.outStream() << key << ": "
                        << (value.is_string() ? terminalText(value.get<std::string>()) : value.dump())
                        << "\n";
}

// Reads the module into `out`; false after printing the failing step's message.
bool readModule(CommandContext& ctx, ModuleSession& s, json& out, CommandModeSettings& cmd,
                WifiSettings& record) {
    if (s.conn->moduleKind() == ModuleKind::CommandMode) {
        if (failed(ctx, readCommandModeSettings(*s.conn, cmd))) return false;
        out = commandModeJson(*s.conn, cmd);
    } else {
        if (failed(ctx, readSettingsBlock(*s.conn, record))) return false;
        out = blockJson(*s.conn, record);
    }
    return true;
}

// A profile value the module at hand has no room for; names the key.
using Refusal = std::optional<std::string>;

std::string channelTextOf(int channel) { return std::to_string(channel); }

// The channel a profile asks for: `channel`, else a number in `channel_text`.
std::optional<int> profileChannel(const SettingsPatch& p, Refusal& refusal) {
    std::optional<int> fromText;
    if (p.channelText && !p.channelText->empty()) fromText = std::stoi(*p.channelText);
    if (p.channel && fromText && *p.channel != *fromText)
        refusal = "channel_text: \"" + *p.channelText + "\" differs from channel " +
                  std::to_string(*p.channel);
    return p.channel ? p.channel : fromText;
}

void applyCommonPatch(const SettingsPatch& p, std::string& ssid, bool& dhcp, Octets& ip,
                      Octets& mask, Octets& gw, Octets& dns, int& mode, int& encryption,
                      int& authentication, int& keyInUse, std::string& wpaKey,
                      std::array<std::string, 4>& keyTexts, KeyFormats& formats) {
    if (p.ssid) ssid = *p.ssid;
    if (p.dhcp) dhcp = *p.dhcp;
    if (p.ip) ip = *p.ip;
    if (p.netmask) mask = *p.netmask;
    if (p.gateway) gw = *p.gateway;
    if (p.dns) dns = *p.dns;
    if (p.mode) mode = *p.mode;
    if (p.encryption) encryption = *p.encryption;
    if (p.authentication) authentication = *p.authentication;
    if (p.keyInUse) keyInUse = *p.keyInUse - 1;
    if (p.wpaKey) wpaKey = *p.wpaKey;
    if (p.wepKeys) keyTexts = *p.wepKeys;
    if (p.keyFormats) formats = *p.keyFormats;
}

// LPD keys on a module without LPD settings: only their "nothing" values are taken.
Refusal noLpdRefusal(const SettingsPatch& p, const char* module) {
    if ((p.lpdEnable && *p.lpdEnable) || (p.lpdQueue && !p.lpdQueue->empty()))
        return std::string(p.lpdQueue && !p.lpdQueue->empty() ? "lpd_queue" : "lpd_enable") +
               ": " + module + " has no LPD settings";
    return std::nullopt;
}

Refusal applyToCommandMode(const SettingsPatch& p, CommandModeWriteInput& in) {
    Refusal refusal;
    auto channel = profileChannel(p, refusal);
    if (refusal) return refusal;
    if (channel && *channel > 14) return "channel: a command-mode module takes 1-14";
    if (p.wpaAuthentication && static_cast<int>(*p.wpaAuthentication) > 2)
        return "wpa_authentication: a command-mode module takes \"None Use\", \"WPA-PSK\" or "
               "\"WPA2-PSK\"";
    if (auto r = noLpdRefusal(p, "a command-mode module")) return r;
    applyCommonPatch(p, in.ssid, in.dhcp, in.ip, in.netmask, in.gateway, in.dns, in.mode,
                     in.encryption, in.authentication, in.keyInUse, in.wpaKey, in.keyTexts,
                     in.keyFormats);
    if (channel) in.channelSelection = *channel - 1;
    if (p.wpaAuthentication) in.wpaAuthentication = static_cast<int>(*p.wpaAuthentication);
    if (p.wpaEncryption) in.wpaEncryption = static_cast<int>(*p.wpaEncryption);
    if (p.tcpPort) in.tcpPort = *p.tcpPort;
    return std::nullopt;
}

Refusal applyToBlock(const SettingsPatch& p, bool lpd, BlockWriteInput& in) {
    Refusal refusal;
    auto channel = profileChannel(p, refusal);
    if (refusal) return refusal;
    if (channel && *channel > 14 && !lpd) return "channel: this module has no 5 GHz channels";
    if (p.wpaEncryption &&
        *p.wpaEncryption != WpaEncryption::Tkip && *p.wpaEncryption != WpaEncryption::Aes)
        return "wpa_encryption: a settings-block module takes \"TKIP\" or \"AES\"";
    if (!lpd)
        if (auto r = noLpdRefusal(p, "this module")) return r;
    applyCommonPatch(p, in.ssid, in.dhcp, in.ip, in.netmask, in.gateway, in.dns, in.mode,
                     in.encryption, in.authentication, in.keyInUse, in.wpaKey, in.keyTexts,
                     in.keyFormats);
    if (channel) {
        in.channel = *channel;
        in.channelText = channelTextOf(*channel);
    }
    // The record's WPA list has no "None" entry: position = code - 1, so "None" is -1.
    if (p.wpaAuthentication) in.wpaAuthentication = static_cast<int>(*p.wpaAuthentication) - 1;
    if (p.wpaEncryption) in.wpaEncryption = static_cast<int>(*p.wpaEncryption) - 1;
    if (p.tcpPort) in.tcpPort = *p.tcpPort;
    if (p.lpdEnable) in.lpdEnable = *p.lpdEnable;
    if (p.lpdQueue) in.lpdQueue = *p.lpdQueue;
    return std::nullopt;
}

void runRead(CommandContext& ctx) {
    auto s = openModule(ctx);
    if (!s) return;
    json out;
    CommandModeSettings cmd;
    WifiSettings record;
    if (!readModule(ctx, *s, out, cmd, record)) return;
    printSettings(ctx, out);
}

void runWrite(CommandContext& ctx, const std::string& path) {
    // The whole file is validated before the port opens.
    ProfileResult profile = loadSettingsProfile(path);
    if (!profile.ok()) {
        ctx.usageError(profile.error.message);
        return;
    }
    const SettingsPatch& patch = *profile.patch;
    noteIgnoredKeys(patch, *ctx.err);
    auto s = openModule(ctx);
    if (!s) return;
    json current;
    CommandModeSettings cmd;
    WifiSettings record;
    if (!readModule(ctx, *s, current, cmd, record)) return;

    if (s->conn->moduleKind() == ModuleKind::CommandMode) {
        CommandModeWriteInput in;
        in.ip = cmd.ip, in.netmask = cmd.netmask, in.gateway = cmd.gateway, in.dns = cmd.dns;
        in.ssid = cmd.ssid;
        in.dhcp = cmd.dhcp;
        in.mode = cmd.options.mode;
        in.channelSelection = cmd.options.channel - 1;
        in.encryption = encryptionSelection(cmd.options);
        in.keyInUse = cmd.options.keyInUse;
        in.authentication = cmd.options.authentication;
        in.wpaAuthentication = wpaAuthSelection(cmd.options);
        in.wpaEncryption = cmd.options.wpaCipher;
        in.wpaKey = cmd.passphrase;
        in.tcpPort = cmd.tcpPort;
        const WepKeyStore& keys = in.encryption == 2 ? cmd.wep104 : cmd.wep40;
        for (size_t i = 0; i < 4; ++i) in.keyTexts[i] = keys.hex[i];
        in.keyFormats = {KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
        if (Refusal r = applyToCommandMode(patch, in)) {
            ctx.usageError(path + ": " + *r);
            return;
        }
        if (failed(ctx, writeCommandModeSettings(*s->conn, in, cmd))) return;
        ctx.stored = storedKeysSummary(patch);
        ctx.outStream() << kSaveCompletedText << "\n";
        return;
    }

    BlockWriteInput in;
    in.macText = record.text(kMacAddress);
    in.ssid = record.text(kSsid);
    in.dhcp = record.choice(kDhcp) == 1;
    in.ip = record.address(kIp), in.netmask = record.address(kSubnet);
    in.gateway = record.address(kGateway), in.dns = record.address(kDns);
    in.mode = record.choice(kMode);
    in.channel = record.channel();
    in.encryption = record.choice(kEncryption);
    in.authentication = record.choice(kAuthentication);
    in.keyInUse = record.choice(kUseKey) - 1;
    // A record without WPA (code 0) keeps code 0 when written back.
    in.wpaAuthentication = record.choice(kWpa) - 1;
    in.wpaEncryption = record.choice(kWpaEnc);
    in.tcpPort = record.tcpPort();
    in.lpdEnable = record.choice(kLpdEnable) == 1;
    in.lpdQueue = record.text(kLpdQueue);
    in.channelText = record.text(kChannelText);
    in.keyFormats = {KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex, KeyFormat::Hex};
    bool lpd = record.hasLpdSupport();
    if (Refusal r = applyToBlock(patch, lpd, in)) {
        ctx.usageError(path + ": " + *r);
        return;
    }
    if (auto bad = validateBlockWrite(in, lpd)) {
        ctx.deviceFailure(bad->message);
        return;
    }
    fillRecordFromInput(record, in, lpd);
    if (failed(ctx, writeSettingsBlock(*s->conn, record))) return;
    ctx.stored = storedKeysSummary(patch);
    ctx.outStream() << kSaveCompletedText << "\n";
}

// Why the module offers no factory reset (the dialog hides the button for it).
std::string resetNotOfferedText(const ModuleConnection& conn) {
    if (conn.moduleKind() == ModuleKind::SettingsBlock)
        return "Factory reset is not available on a settings-block module";
    return "Factory reset is not available on a generation " +
           std::to_string(conn.moduleGeneration()) + " command-mode module";
}

void runReset(CommandContext& ctx) {
    auto s = openModule(ctx);
    if (!s) return;
    // Refused before the reset is sent; closing the session leaves command mode.
    if (!factoryResetOffered(s->conn->moduleKind(), s->conn->moduleGeneration())) {
        ctx.deviceFailure(resetNotOfferedText(*s->conn));
        return;
    }
    SequenceResult r = resetModuleSequence(*s->conn);
    if (!r.ok) {
        ctx.deviceFailure(kFactoryResetFailedText);
        return;
    }
    ctx.stored = "module reset to factory settings";
    ctx.outStream() << kFactoryResetDoneText << "\n";
}

void installWifiCommands(CLI::App& app, CommandContext& ctx) {
    auto* wifi = app.add_subcommand("wifi", "Read, write or reset the printer's Wi-Fi module");
    wifi->require_subcommand(1);
    wifi->add_subcommand("read", "Read the module's settings")->callback([&ctx] { runRead(ctx); });
    auto file = std::make_shared<std::string>();
    auto* write = wifi->add_subcommand(
        "write", "Apply the settings of a JSON or Wi-Fi INI (.ini) file and store them");
    write->add_option("FILE", *file,
                      "JSON object with the keys of wifi read --json, or a Wi-Fi INI file "
                      "(section WiFiInfo) read as the Wi-Fi dialog reads it")
        ->required();
    write->callback([&ctx, file] { runWrite(ctx, *file); });
    wifi->add_subcommand("reset", "Return the module to its factory settings")
        ->callback([&ctx] { runReset(ctx); });
}

CommandGroupRegistrar reg("wifi", &installWifiCommands);

}  // namespace
}  // namespace setrion::cli
