// wifi read, wifi write, wifi reset: the Wi-Fi module behind the printer link.
#include <memory>
#include <ostream>

#include "cli/change_report.h"
#include "cli/cli_app.h"
#include "cli/profile_notes.h"
#include "cli/printer_session.h"
#include "cli/stored_summary.h"
#include "common/device_text.h"
#include "wifi/module/command_mode_read.h"
#include "wifi/module/command_mode_write.h"
#include "wifi/module/factory_reset.h"
#include "wifi/module/module_connection.h"
#include "wifi/module/profile_apply.h"
#include "wifi/module/settings_block_exchange.h"
#include "wifi/settings/choice_codes.h"
#include "wifi/settings/ini_profile.h"
#include "wifi/settings/profile.h"
#include "wifi/settings/settings_diff.h"
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
        case OpenPortResult::Ok:
            return s;
        case OpenPortResult::OpenFailed:
            ctx.deviceFailure(kOpenPortFailedText);
            break;
        case OpenPortResult::NoBanner:
            ctx.deviceFailure(kIspModeSetFailedText);
            break;
    }
    return nullptr;
}

// What a command-mode write is checked against: the profile's values. The WEP keys are left
// out: the module reports the store of the encryption in use only, in its own form.
SettingsPatch commandModeWritten(SettingsPatch patch) {
    patch.wepKeys.reset();
    patch.keyFormats.reset();
    return patch;
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
int wpaAuthSelection(const WlanOptionsValue& o) {
    return o.wpaMode == 2 ? 1 : o.wpaMode == 4 ? 2 : 0;
}

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
                        << (value.is_string() ? terminalText(value.get<std::string>())
                                              : value.dump())
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

void runRead(CommandContext& ctx) {
    auto s = openModule(ctx);
    if (!s) return;
    json out;
    CommandModeSettings cmd;
    WifiSettings record;
    if (!readModule(ctx, *s, out, cmd, record)) return;
    printSettings(ctx, out);
}

// After a write: reads the module again and compares what it reports with what was written,
// value by value. A difference fails the command (exit 2) naming each field; else the
// message, or with --json the report with the settings read back.
void reportWritten(CommandContext& ctx, ModuleSession& s, const ChangeOptions& change,
                   const std::vector<SettingChange>& changes, const SettingsPatch& written) {
    json after;
    CommandModeSettings cmd;
    WifiSettings record;
    if (!readModule(ctx, s, after, cmd, record)) return;
    bool commandMode = s.conn->moduleKind() == ModuleKind::CommandMode;
    auto differences = readBackDifferences(
        written, commandMode ? reportedSettings(cmd) : reportedSettings(record, false));
    if (!differences.empty()) {
        ctx.deviceFailure(terminalText(readBackMessage(differences, change.showSecrets)));
        return;
    }
    printWritten(ctx, change, changes, kSaveCompletedText, after);
}

void runWrite(CommandContext& ctx, const std::string& path, const ChangeOptions& change) {
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
        CommandModeWriteInput in = commandModeWriteInput(cmd);
        if (ProfileRefusal r = applyToCommandMode(patch, in)) {
            ctx.usageError(path + ": " + *r);
            return;
        }
        auto changes = diffSettings(patch, reportedSettings(cmd));
        if (endsBeforeWrite(ctx, change, changes, current)) return;
        if (failed(ctx, writeCommandModeSettings(*s->conn, in, cmd))) return;
        ctx.stored = storedKeysSummary(patch);
        reportWritten(ctx, *s, change, changes, commandModeWritten(patch));
        return;
    }

    // The module never reports its keys: a WPA or WEP write without its key would erase it.
    if (auto refused = missingKeyRefusal(patch, reportedSettings(record, false))) {
        ctx.usageError(path + ": " + *refused);
        return;
    }
    BlockWriteInput in = blockWriteInput(record);
    bool lpd = record.hasLpdSupport();
    if (ProfileRefusal r = applyToBlock(patch, lpd, in)) {
        ctx.usageError(path + ": " + *r);
        return;
    }
    if (auto bad = validateBlockWrite(in, lpd)) {
        ctx.deviceFailure(bad->message);
        return;
    }
    // The module clears its key fields on read: a key in the profile always counts as a change.
    auto changes = diffSettings(patch, reportedSettings(record, false));
    if (endsBeforeWrite(ctx, change, changes, current)) return;
    fillRecordFromInput(record, in, lpd);
    // The whole record is written, so every value it holds is checked after the write.
    const SettingsPatch written = reportedSettings(record, false);
    if (failed(ctx, writeSettingsBlock(*s->conn, record))) return;
    ctx.stored = storedKeysSummary(patch);
    reportWritten(ctx, *s, change, changes, written);
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
    write
        ->add_option("FILE", *file,
                     "JSON object with the keys of wifi read --json, or a Wi-Fi INI file "
                     "(section WiFiInfo) read as the Wi-Fi dialog reads it")
        ->required();
    auto change = std::make_shared<ChangeOptions>();
    addChangeOptions(*write, *change);
    write->callback([&ctx, file, change] { runWrite(ctx, *file, *change); });
    wifi->add_subcommand("reset", "Return the module to its factory settings")->callback([&ctx] {
        runReset(ctx);
    });
}

CommandGroupRegistrar g_wifiGroup("wifi", &installWifiCommands);

}  // namespace
}  // namespace setrion::cli
