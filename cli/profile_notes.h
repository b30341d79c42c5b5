#pragma once
// Notes on the keys of a settings profile that change nothing.
#include <iosfwd>
#include <string>

#include "wifi/settings/profile.h"

namespace setrion::cli {

// One note on `err` per key of the profile that identifies one device ("mac: identifies
// one device, ignored"), so a profile read from one printer can be written to another, and
// one per other key that gives nothing ("CHANNEL: value not in the key's form, ignored").
void noteIgnoredKeys(const wifi::SettingsPatch& patch, std::ostream& err);

}  // namespace setrion::cli
