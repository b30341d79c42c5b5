#pragma once
// What a write would change, as the CLI shows it: --dry-run, --skip-unchanged and
// --show-secrets of `wifi write`, `net save` and `net apply`.
//
// Plain text: one line "key: old -> new" per changed key. JSON, per printer:
//   {"changed": bool, "diff": {key: [old, new]}}
// Values keep their profile types (true/false, integers, the four WEP keys as an array), so
// the "new" side reads as a settings file; an old value the device does not report is the
// text "unknown". Secrets (wpa_key, wep_keys, eap_password) are "***" unless shown.
// A write run adds "skipped" (true when nothing differed and --skip-unchanged left the
// printer alone), "result" (the write's message) and "settings" (as read after the write);
// a write whose read-back differs adds "verified": false and "not_verified".
#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "wifi/settings/settings_diff.h"

namespace CLI {
class App;
}

namespace setrion::cli {

struct CommandContext;

inline constexpr const char* kSecretMask = "***";
inline constexpr const char* kSkippedText = "Unchanged: not written";
inline constexpr const char* kNoChangeText = "No change";

struct ChangeOptions {
    bool dryRun = false;
    bool skipUnchanged = false;
    bool showSecrets = false;
};

// Adds --dry-run, --skip-unchanged and --show-secrets to a write command.
void addChangeOptions(CLI::App& command, ChangeOptions& options);

// {key: [old, new]} of the changes.
nlohmann::json changesJson(const std::vector<wifi::SettingChange>& changes, bool showSecrets);

// {"changed": ..., "diff": ...}.
nlohmann::json changeReportJson(const std::vector<wifi::SettingChange>& changes, bool showSecrets);

// Settings JSON (of `wifi read --json`, `net search --json`) with its secret values masked.
nlohmann::json maskedSettings(nlohmann::json settings);

// Before a write: with --dry-run prints the changes (JSON: the change report with `extra`
// merged in) and ends the command; with --skip-unchanged and no change, prints kSkippedText
// (JSON: the report with "skipped" and `current`, the settings as read) and ends it. True
// when the command has ended.
bool endsBeforeWrite(CommandContext& ctx, const ChangeOptions& options,
                     const std::vector<wifi::SettingChange>& changes, const nlohmann::json& current,
                     const nlohmann::json& extra = nlohmann::json::object());

// After a write: the write's message, or with --json the report with "changed": true, the
// message as "result" and `after`, the settings as read after the write.
void printWritten(CommandContext& ctx, const ChangeOptions& options,
                  const std::vector<wifi::SettingChange>& changes, const std::string& message,
                  const nlohmann::json& after,
                  const nlohmann::json& extra = nlohmann::json::object());

// After a write whose read-back differs (`differences`: each written value and the value read
// back): the message on stderr, exit 2. With --json the report is printed first: "changed":
// true (the printer was written), "verified": false, "not_verified": {key: {"written": ...,
// "read_back": ...}} (secrets masked unless shown), "result" and `after`.
void printNotVerified(CommandContext& ctx, const ChangeOptions& options,
                      const std::vector<wifi::SettingChange>& changes,
                      const std::vector<wifi::SettingChange>& differences,
                      const nlohmann::json& after,
                      const nlohmann::json& extra = nlohmann::json::object());

// One "key: old -> new" line per change after `indent` (device texts made safe for a
// terminal); kNoChangeText when there is none.
void printChanges(std::ostream& out, const std::vector<wifi::SettingChange>& changes,
                  bool showSecrets, const std::string& indent = "");

}  // namespace setrion::cli
