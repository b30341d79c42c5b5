#pragma once
#include <string>
#include <utility>
#include <vector>

#include "wifi/settings/wifi_ini.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::ui {

// The Wi-Fi INI file as the Wi-Fi dialog uses it: read once when the dialog starts, written
// when it goes. The dialog never creates the file.
class WifiIniAccess {
  public:
    using KeyValues = std::vector<std::pair<std::string, std::string>>;
    virtual ~WifiIniAccess() = default;
    // The file exists now.
    virtual bool exists() const = 0;
    // Reads the section's keys into `record` (a record of spaces) by the file's rules: keys
    // that are missing, malformed or refused (a text longer than its field, listed in
    // `refused`) leave their field as it is. False when unreadable.
    virtual bool load(wifi::WifiSettings& record, std::vector<wifi::WifiIniRefusal>& refused) = 0;
    // Sets these keys of the section, in order, keeping every other line of the file. On
    // failure the file is as it was and `error` says why.
    virtual bool write(const KeyValues& values, std::string& error) = 0;
    // The file as the user knows it, for messages.
    virtual std::string name() const = 0;
};

}  // namespace setrion::ui
