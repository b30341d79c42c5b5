#pragma once
// What a command had stored when an interrupt ended it, as the rest of its "interrupted: "
// line.
#include <string>

#include "wifi/net/fleet_apply.h"
#include "wifi/settings/profile.h"

namespace setrion::cli {

// "stored ssid, ip, wpa_key": the keys a profile sets, in the order of wifi read --json.
std::string storedKeysSummary(const wifi::SettingsPatch& patch);
// "stored on 2 of 5 printers (02:00:..., ...)", then "; unknown on 1 (...): sent, not answered"
// for writes that went out and were not answered; empty when neither.
std::string fleetStoredSummary(const net::FleetPlan& plan);

}  // namespace setrion::cli
