#pragma once
#include <filesystem>
#include <string_view>

#include "wifi/settings/profile.h"
#include "wifi/settings/wifi_ini.h"

namespace setrion::wifi {

// The Wi-Fi INI file as a settings profile, read by the same rules as the Wi-Fi dialog's
// load: a key the dialog would ignore (wrong length or form) gives nothing, so the device
// keeps that value. MacAddress and Version identify one module and are not applied.
//
// The dialog's choices become the profile's codes: "Wi-Fi Encryption" is "WPA" whenever the
// INI's WPA value is not 0, else ENCRYPTION; WPA is the position in the dialog's list
// "WPA-PSK", "WPA2-PSK" (a position that list has not is ignored) and applies with "WPA"
// encryption, any other encryption meaning no WPA; WPAENC 0 is "TKIP", 1 "AES"; KEY1..KEY4
// are the keys' hexadecimal texts (HEX format), and when the file has any of them a key it
// lacks is empty, as its key edit would be.
SettingsPatch wifiIniPatch(const WifiIniValues& values);

// Reads and validates an INI file (at most kMaxProfileBytes, a regular file only). A text
// longer than its field is refused naming the key and its width; the keys that give nothing
// are listed in the patch's unusedKeys; a file whose [WiFiInfo] section has no key that sets
// a value (only MacAddress/Version, unknown keys or values outside their forms) is refused.
ProfileResult loadIniProfile(const std::filesystem::path& path);

// A settings file name ending in ".ini" (any case).
bool isIniProfilePath(std::string_view path);

// A settings file of either kind: the Wi-Fi INI file when the name ends in ".ini", else a
// JSON profile.
ProfileResult loadSettingsProfile(const std::filesystem::path& path);

}  // namespace setrion::wifi
