#pragma once
// What a validated settings profile changes in a LAN save: the profile mapped onto the edit of
// a management-protocol module or a text-frame printer.
#include <string>

#include "wifi/net/printer_view.h"
#include "wifi/settings/profile.h"

namespace setrion::net {

// The edit a validated profile makes on a line of the given kind (a management-protocol
// module, or a text-frame printer), or the message naming the key that kind has no room for.
std::string networkEditFromPatch(const wifi::SettingsPatch& patch, bool module, NetworkEdit& edit);

}  // namespace setrion::net
