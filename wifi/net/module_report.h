#pragma once
// What a LAN module reports in its search reply, as profile values, for the comparisons of
// wifi/settings/settings_diff.h (the diff of a dry run, the skip of an unchanged printer).
#include "wifi/net/discovered_printer.h"
#include "wifi/settings/profile.h"

namespace setrion::net {

// Every key a LAN save can set, from the module's record; the address is the configured
// one (not the address the reply came from). WEP keys, LPD and channel_text are not part of
// the reply and stay absent.
wifi::SettingsPatch reportedSettings(const DiscoveredPrinter& record);

}  // namespace setrion::net
