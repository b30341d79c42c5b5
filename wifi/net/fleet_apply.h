#pragma once
// Applying one set of settings to many printers on the LAN: one search, a plan in MAC
// order (with static addresses handed out from a first address when asked), the writes,
// and one search again to verify what each printer now reports.
#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wifi/net/network_search.h"
#include "wifi/net/printer_view.h"
#include "wifi/settings/settings_diff.h"

namespace setrion::net {

struct FleetRequest {
    bool all = false;                // every printer that answered
    std::vector<MacAddress> macs;    // else these
    std::optional<uint32_t> ipFrom;  // static addresses from here (host order), DHCP off
    NetworkEdit moduleEdit;          // the settings for a management-protocol module
    NetworkEdit textEdit;            // the settings for a text-frame printer
    std::string moduleRefusal;       // set when the settings do not fit that kind of printer
    std::string textRefusal;
    std::array<uint8_t, 10> password{};
    std::filesystem::path resultFile = "./result.out";  // text-frame saves keep their record here
    bool skipUnchanged = false;  // leave printers that hold every value already alone
};

// One target of the plan and, after the run, its outcome.
struct FleetRow {
    std::string mac;     // "02:00:00:00:00:01"
    bool module = true;  // management protocol, else text frame
    size_t index = 0;    // into the search result's table of its kind
    bool found = true;   // false: a requested MAC that did not answer
    std::string oldIp;
    std::string newIp;
    NetworkEdit edit;                       // what this printer is given
    std::vector<wifi::SettingChange> diff;  // what the write changes: keys, old and new values
    std::vector<std::string> changes;       // the keys of `diff`
    std::string refusal;                    // refused before anything is sent to it
    std::string message;                    // kSaveCompleted or the failing check's text
    bool written = false;
    bool unanswered = false;  // the write went out and no answer came: stored or not, unknown
    bool verified = false;
    std::vector<wifi::SettingChange> readBack;  // values read back that differ from those written
    bool resultFileMissing = false;  // a confirmed text-frame save whose result file failed
    bool skipped = false;            // nothing differed and skipUnchanged left it alone
};

inline constexpr const char* kUnchangedText = "Unchanged: not written";
inline constexpr const char* kNotVerifiedSilentText = "Not verified: the printer did not answer";

struct FleetPlan {
    std::vector<FleetRow> rows;  // MAC order; requested MACs that did not answer included
    std::string error;           // the run is refused before anything is sent
};

// Steps a row passes, for progress lines.
enum class FleetStep { Planned, Writing, Written, Verifying, Done, Failed };
std::string_view fleetStepText(FleetStep step);
using FleetProgress = std::function<void(size_t row, FleetStep step, const std::string& detail)>;

// The plan from a search: targets in MAC order, each one's edit, the addresses handed out
// (skipping those another printer that answered already uses; each checked by the address
// check of a save), and the keys each write changes. Pure: nothing is sent.
FleetPlan planFleet(const NetworkSearchResult& search, const FleetRequest& request);

// Writes the plan's rows (modules together, matched by MAC, at most 16 in flight; text-frame
// printers one after another beside them), then searches once more and marks each row
// verified when the printer reports every value written (else its message names each value
// that differs, written and read back). Each printer is written once. With
// skipUnchanged a row whose diff is empty is not written but marked skipped.
void runFleet(ManagementContext& ctx, NetworkSearchResult& search, FleetPlan& plan,
              const FleetRequest& request, const FleetProgress& progress = {});

// The read-back check of a written printer: the values the line with `mac` in `after` reports
// that differ from `written` (everything the write sent, as profile values); nullopt when no
// printer of that kind answered with that MAC.
std::optional<std::vector<wifi::SettingChange>> readBack(const NetworkSearchResult& after,
                                                         const std::string& mac, bool module,
                                                         const wifi::SettingsPatch& written);

}  // namespace setrion::net
