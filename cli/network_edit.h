#pragma once
// What a validated settings profile changes in a LAN save.
#include <iosfwd>
#include <string>

#include "wifi/net/printer_view.h"
#include "wifi/settings/profile.h"

namespace setrion::cli {

// The edit a validated profile makes on a line of the given kind (a management-protocol
// module, or a text-frame printer), or the message naming the key that kind has no room for.
std::string networkEditFromPatch(const wifi::SettingsPatch& patch, bool module, net::NetworkEdit& edit);

// One note on `err` per key of the profile that identifies one device ("mac: identifies
// one device, ignored"), so a profile read from one printer can be written to another.
void noteIgnoredKeys(const wifi::SettingsPatch& patch, std::ostream& err);

}  // namespace setrion::cli
