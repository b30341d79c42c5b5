#include "cli/change_report.h"

#include <CLI/CLI.hpp>
#include <ostream>

#include "cli/cli_app.h"
#include "common/device_text.h"
#include "common/trace.h"

namespace setrion::cli {
namespace {

using nlohmann::json;

// A value as the profile types it; texts follow the JSON rule for device bytes.
json typedValue(const std::string& key, const std::string& text) {
    if (key == "dhcp" || key == "lpd_enable") return text == "true";
    if (key == "channel" || key == "key_in_use" || key == "tcp_port" || key == "baud" ||
        key == "data_bits" || key == "stop_bits" || key == "power_save_minutes") {
        json number = json::parse(text, nullptr, false);
        if (number.is_number_integer()) return number;
    }
    if (key == "wep_keys") {
        json keys = json::parse(text, nullptr, false);
        if (keys.is_array()) {
            for (auto& k : keys)
                if (k.is_string()) k = utf8WithReplacements(k.get<std::string>());
            return keys;
        }
    }
    return utf8WithReplacements(text);
}

json shown(const wifi::SettingChange& c, const std::optional<std::string>& value,
           bool showSecrets) {
    if (!value) return "unknown";
    if (c.secret && !showSecrets && !value->empty()) return kSecretMask;
    return typedValue(c.key, *value);
}

std::string shownText(const wifi::SettingChange& c, const std::optional<std::string>& value,
                      bool showSecrets) {
    if (!value) return "unknown";
    if (c.secret && !showSecrets && !value->empty()) return kSecretMask;
    return terminalText(*value);
}

// The report of a run that ends with `message`.
void printOutcome(CommandContext& ctx, const ChangeOptions& o,
                  const std::vector<wifi::SettingChange>& changes, bool written,
                  const std::string& message, const json& settings, const json& extra) {
    if (!ctx.options.json) {
        ctx.outStream() << message << "\n";
        ctx.exitCode = kExitOk;
        return;
    }
    json report = changeReportJson(changes, o.showSecrets);
    report.update(extra);
    report["changed"] = written;
    report["skipped"] = !written;
    report["result"] = message;
    report["settings"] = o.showSecrets ? settings : maskedSettings(settings);
    ctx.printJson(report);
    ctx.exitCode = kExitOk;
}

}  // namespace

namespace {

// A secret, or the "<secret>_hex" companion that carries its bytes.
bool isMaskedKey(const std::string& key) {
    constexpr std::string_view kHex = "_hex";
    if (key.size() > kHex.size() && key.compare(key.size() - kHex.size(), kHex.size(), kHex) == 0)
        return wifi::isSecretKey(key.substr(0, key.size() - kHex.size()));
    return wifi::isSecretKey(key);
}

}  // namespace

json maskedSettings(json settings) {
    if (!settings.is_object()) return settings;
    for (auto& [key, value] : settings.items())
        if (isMaskedKey(key) && !(value.is_string() && value.get<std::string>().empty()))
            value = kSecretMask;
    return settings;
}

bool endsBeforeWrite(CommandContext& ctx, const ChangeOptions& o,
                     const std::vector<wifi::SettingChange>& changes, const json& current,
                     const json& extra) {
    if (o.dryRun) {
        if (ctx.options.json) {
            json report = changeReportJson(changes, o.showSecrets);
            report.update(extra);
            ctx.printJson(report);
        } else {
            printChanges(ctx.outStream(), changes, o.showSecrets);
        }
        ctx.exitCode = kExitOk;
        return true;
    }
    if (!o.skipUnchanged || !changes.empty()) return false;
    printOutcome(ctx, o, changes, false, kSkippedText, current, extra);
    return true;
}

void printWritten(CommandContext& ctx, const ChangeOptions& o,
                  const std::vector<wifi::SettingChange>& changes, const std::string& message,
                  const json& after, const json& extra) {
    printOutcome(ctx, o, changes, true, message, after, extra);
}

void printNotVerified(CommandContext& ctx, const ChangeOptions& o,
                      const std::vector<wifi::SettingChange>& changes,
                      const std::vector<wifi::SettingChange>& differences, const json& after,
                      const json& extra) {
    const std::string message = wifi::readBackMessage(differences, o.showSecrets);
    if (ctx.options.json) {
        json report = changeReportJson(changes, o.showSecrets);
        report.update(extra);
        report["changed"] = true;
        report["skipped"] = false;
        report["verified"] = false;
        json notVerified = json::object();
        for (const auto& d : differences)
            notVerified[d.key] = {{"written", shown(d, d.newValue, o.showSecrets)},
                                  {"read_back", shown(d, d.oldValue, o.showSecrets)}};
        report["not_verified"] = notVerified;
        report["result"] = utf8WithReplacements(message);
        report["settings"] = o.showSecrets ? after : maskedSettings(after);
        ctx.printJson(report);
    }
    ctx.deviceFailure(terminalText(message));  // device bytes made safe for a terminal
}

void addChangeOptions(CLI::App& command, ChangeOptions& o) {
    command.add_flag("--dry-run", o.dryRun,
                     "Read and compare only: print each key the write would change "
                     "(key: old -> new); write nothing");
    command.add_flag("--skip-unchanged", o.skipUnchanged,
                     "Write only where a value differs; say which printers were skipped");
    command.add_flag_callback(
        "--show-secrets",
        [&o] {
            o.showSecrets = true;
            setTraceShowsSecrets(true);
        },
        "Show WPA and WEP keys in the diff and trace lines instead of ***");
}

json changesJson(const std::vector<wifi::SettingChange>& changes, bool showSecrets) {
    json diff = json::object();
    for (const auto& c : changes)
        diff[c.key] =
            json::array({shown(c, c.oldValue, showSecrets), shown(c, c.newValue, showSecrets)});
    return diff;
}

json changeReportJson(const std::vector<wifi::SettingChange>& changes, bool showSecrets) {
    return {{"changed", !changes.empty()}, {"diff", changesJson(changes, showSecrets)}};
}

void printChanges(std::ostream& out, const std::vector<wifi::SettingChange>& changes,
                  bool showSecrets, const std::string& indent) {
    if (changes.empty()) out << indent << kNoChangeText << "\n";
    for (const auto& c : changes)
        out << indent << c.key << ": " << shownText(c, c.oldValue, showSecrets) << " -> "
            << shownText(c, c.newValue, showSecrets) << "\n";
}

}  // namespace setrion::cli
