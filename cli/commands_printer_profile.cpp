// printer read / printer apply: the printer's own settings as one profile. `read` lists every
// setting with its value and where it came from (or why it is unknown); `apply` validates a
// profile whole before a port opens, reads what can be read, prints the plan, sends the
// settings in the order the printer needs (serial parameters last) and reads back what can be
// read.
#include <algorithm>
#include <memory>
#include <ostream>

#include "cli/change_report.h"
#include "cli/cli_app.h"
#include "cli/printer_session.h"
#include "common/device_text.h"
#include "printer/printer_profile.h"
#include "wifi/settings/profile.h"
#include "wifi/settings/settings_diff.h"

namespace setrion::cli {
namespace {

using wifi::SettingChange;

inline constexpr const char* kAppliedText = "Printer settings applied";

bool isSecret(std::string_view key) { return key == "bluetooth_pin"; }

// A reading's values as a profile (the PIN only when secrets are shown).
nlohmann::json readingJson(const PrinterReading& reading, bool showSecrets) {
    PrinterValues shown = reading.values;
    if (!showSecrets) shown.erase("bluetooth_pin");
    return printerValuesJson(shown);
}

std::string joined(const std::vector<std::string>& keys) {
    std::string out;
    for (const auto& k : keys) out += (out.empty() ? "" : ", ") + k;
    return out;
}

// Reads the printer; false after printing the probe's failure (exit 2).
bool readPrinter(CommandContext& ctx, PrinterSession& session, PrinterReading& reading) {
    reading = readPrinterSettings(session.exchange());
    if (reading.result == kProbeOk) return true;
    ctx.deviceFailure(probeFailureMessage(reading.result));
    return false;
}

void runRead(CommandContext& ctx, bool showSecrets) {
    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    PrinterReading reading;
    if (!readPrinter(ctx, *session, reading)) return;
    if (ctx.options.json) {
        ctx.printJson(readingJson(reading, showSecrets));
        return;
    }
    for (const auto& key : printerProfileKeys()) {
        if (auto it = reading.values.find(key); it != reading.values.end()) {
            const std::string value =
                isSecret(key) && !showSecrets ? kSecretMask : terminalText(it->second);
            ctx.outStream() << key << ": " << value << " (" << reading.sources[key] << ")\n";
        } else if (auto why = reading.unknown.find(key); why != reading.unknown.end()) {
            ctx.outStream() << key << ": unknown (" << why->second << ")\n";
        }
    }
}

// The profile's keys as changes against the reading; a key the printer does not report is
// always a change.
std::vector<SettingChange> planOf(const PrinterValues& wanted, const PrinterReading& reading) {
    std::vector<SettingChange> changes;
    for (const auto& key : printerProfileKeys()) {
        auto want = wanted.find(key);
        if (want == wanted.end()) continue;
        std::optional<std::string> old;
        if (auto it = reading.values.find(key); it != reading.values.end()) old = it->second;
        if (old == want->second) continue;
        changes.push_back({key, old, want->second, isSecret(key)});
    }
    return changes;
}

// Keys the printer's emulation cannot take; the serial keys are judged by the emulation the
// profile switches to, since they are sent after the switch.
std::optional<std::string> notTaken(const PrinterValues& wanted, EmulationCode current) {
    EmulationCode after = current;
    if (auto it = wanted.find("emulation"); it != wanted.end() && it->second != emulationProfileName(current)) {
        if (it->second != "cpcl" && it->second != "escpos")
            return "emulation: only \"cpcl\" and \"escpos\" can be switched to (the printer is " +
                   emulationProfileName(current) + ")";
        after = it->second == "cpcl" ? EmulationCode::Cpcl : EmulationCode::EscPos;
    }
    for (const auto& [key, value] : wanted)
        if (auto why = printerKeyNotTaken(key, isSerialParameterKey(key) ? after : current))
            return key + ": " + *why;
    return std::nullopt;
}

PrinterValues subset(const PrinterValues& values, bool serial) {
    PrinterValues out;
    for (const auto& [key, value] : values)
        if (isSerialParameterKey(key) == serial) out[key] = value;
    return out;
}

// Sends one part of the profile; false after printing the probe's failure.
bool sendPart(CommandContext& ctx, PrinterSession& session, const PrinterValues& part,
              const SerialSettings& line, std::vector<std::string>& sent) {
    if (part.empty()) return true;
    const int result = applyPrinterSettings(session.exchange(), part, line, sent);
    if (result == kProbeOk) return true;
    ctx.deviceFailure(probeFailureMessage(result));
    return false;
}

// The keys sent whose value read back differs from the value sent (keys the printer does
// not report are left out).
std::vector<SettingChange> readBackDifferences(const PrinterValues& sent, const PrinterReading& after) {
    std::vector<SettingChange> out;
    for (const auto& [key, value] : sent) {
        auto it = after.values.find(key);
        if (it != after.values.end() && it->second != value)
            out.push_back({key, it->second, value, isSecret(key)});
    }
    return out;
}

void runApply(CommandContext& ctx, const std::string& path, const ChangeOptions& change) {
    std::string error;
    auto text = wifi::readRegularFile(path, wifi::kMaxProfileBytes, &error);
    if (!text) {
        ctx.usageError(error);
        return;
    }
    auto profile = parsePrinterProfile(*text);
    if (!profile.ok()) {
        ctx.usageError(path + ": " + profile.error);
        return;
    }
    for (const auto& key : profile.ignored)
        *ctx.err << key << ": describes one printer, not sent\n";
    const PrinterValues& wanted = *profile.values;
    auto line = serialSettingsFrom(ctx.options, &error);
    if (!line) {
        ctx.usageError(error);
        return;
    }
    const bool sevenBits = wanted.count("data_bits") ? wanted.at("data_bits") == "7"
                                                     : line->dataBitsIndex == 0;
    const bool noParity = wanted.count("parity") ? wanted.at("parity") == "none" : line->parityIndex == 0;
    if (sevenBits && noParity && (wanted.count("data_bits") || wanted.count("parity"))) {
        ctx.usageError(path + ": data_bits: 7 data bits need parity \"odd\" or \"even\"");
        return;
    }

    auto session = PrinterSession::openChecked(ctx);
    if (!session) return;
    PrinterReading before;
    if (!readPrinter(ctx, *session, before)) return;
    if (auto why = notTaken(wanted, before.emulation)) {
        ctx.deviceFailure(*why + "; nothing was sent");
        return;
    }
    const auto changes = planOf(wanted, before);
    std::vector<std::string> unknown;
    for (const auto& c : changes)
        if (!c.oldValue) unknown.push_back(c.key);
    const nlohmann::json extra = {{"emulation", emulationProfileName(before.emulation)}, {"unknown", unknown}};
    if (!ctx.options.json && (!changes.empty() || change.dryRun)) {
        printChanges(ctx.outStream(), changes, change.showSecrets);
        if (!unknown.empty())
            ctx.outStream() << "unknown (the printer does not report them; always sent): "
                            << joined(unknown) << "\n";
    }
    if (change.dryRun && !ctx.options.json) {
        ctx.exitCode = kExitOk;
        return;
    }
    // Nothing differs: nothing is sent, whether or not --skip-unchanged was given.
    ChangeOptions whenEqual = change;
    whenEqual.skipUnchanged = true;
    if (endsBeforeWrite(ctx, whenEqual, changes, readingJson(before, change.showSecrets), extra))
        return;

    PrinterValues toSend;
    for (const auto& c : changes) toSend[c.key] = c.newValue;
    std::vector<std::string> sent;
    if (!sendPart(ctx, *session, subset(toSend, false), *line, sent)) return;
    PrinterReading after;
    if (!readPrinter(ctx, *session, after)) return;
    // The serial parameters go last: the printer takes its new line settings at once, so
    // they cannot be read back over this link.
    if (!sendPart(ctx, *session, subset(toSend, true), *line, sent)) return;
    ctx.stored = "printer settings sent: " + joined(sent);

    const auto differences = readBackDifferences(subset(toSend, false), after);
    if (!differences.empty()) {
        ctx.deviceFailure(wifi::readBackMessage(differences, change.showSecrets));
        return;
    }
    nlohmann::json report = extra;
    report["sent"] = sent;
    std::string message = kAppliedText;
    if (auto serial = subset(toSend, true); !serial.empty()) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : serial) keys.push_back(key);
        report["not_read_back"] = keys;
        if (!ctx.options.json)
            ctx.outStream() << "serial parameters sent last, not read back (reopen at the new line "
                               "settings to check): "
                            << joined(keys) << "\n";
    }
    printWritten(ctx, change, changes, message, readingJson(after, change.showSecrets), report);
}

void installPrinterProfileCommands(CLI::App& app, CommandContext& ctx) {
    auto* printer = app.add_subcommand(
        "printer", "The printer's own settings as one profile: read them, apply a profile");
    printer->require_subcommand(1);

    auto readSecrets = std::make_shared<bool>(false);
    auto* read = printer->add_subcommand(
        "read", "Every printer setting the printer reports, with its source; --json prints a "
                "profile (the unknown ones left out)");
    read->add_flag("--show-secrets", *readSecrets, "Show the Bluetooth PIN (and keep it in the JSON)");
    read->callback([&ctx, readSecrets] { runRead(ctx, *readSecrets); });

    auto file = std::make_shared<std::string>();
    auto change = std::make_shared<ChangeOptions>();
    auto* apply = printer->add_subcommand(
        "apply", "Apply a printer profile (JSON): validate it, print the plan (key: old -> new), "
                 "send the settings, serial parameters last, and read back what can be read");
    apply->add_option("PROFILE", *file, "JSON file, e.g. the output of `printer read --json`")
        ->required();
    addChangeOptions(*apply, *change);
    apply->callback([&ctx, file, change] { runApply(ctx, *file, *change); });
}

CommandGroupRegistrar g_printerProfileGroup("printer-profile", &installPrinterProfileCommands);

}  // namespace
}  // namespace setrion::cli
