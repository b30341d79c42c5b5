#pragma once
// What a settings profile would change on a device, key by key.
//
// Both sides are SettingsPatch values. The wanted side is a validated profile (or the whole
// set of values just written); the reported side is what a device holds, built by the
// device's own report function (reportedSettings() below for a settings record; the module
// and LAN layers have theirs). On the reported side an absent member means the device does
// not report that value (a write-only key): such a key is listed with no old value.
//
// Values are compared whole, as the typed values of the profile (texts byte for byte, spaces
// included; addresses as octets). Each key is rendered as the profile writes it:
//
//   ssid, wpa_key, lpd_queue, channel_text   the text itself
//   dhcp, lpd_enable                         "true" / "false"
//   ip, netmask, gateway, dns                "a.b.c.d"
//   mode, encryption, authentication         the list text ("infrastructure", "WEP64", ...)
//   wpa_authentication                       "None", "WPA-PSK", "WPA2-PSK", "WPA-ENT", "WPA2-ENT"
//   wpa_encryption                           "None", "TKIP", "AES", "TKIP+AES"
//   channel, key_in_use, tcp_port            decimal
//   wep_keys                                 a JSON array of the four key texts
//
// WEP keys are compared as upper-case hexadecimal (a key given as ASCII under key_formats
// is converted first), since devices report them as hexadecimal. key_formats itself only
// says how the keys are typed and is never listed; nor are the identity keys.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wifi/settings/profile.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// One key whose wanted value differs from what the device reports.
struct SettingChange {
    std::string key;                      // the profile key: "ssid", "wpa_key", ...
    std::optional<std::string> oldValue;  // nullopt: the device does not report this key
    std::string newValue;
    bool secret = false;  // a key or password: show only when asked

    // The old value for display: the text, or "unknown" when the device does not report it.
    std::string oldText() const { return oldValue ? *oldValue : "unknown"; }
};

// The keys `wanted` sets whose value differs from `reported`, in the profile's key order
// (ssid, dhcp, ip, netmask, gateway, dns, mode, channel, channel_text, encryption,
// authentication, key_in_use, wpa_authentication, wpa_encryption, wpa_key, tcp_port,
// wep_keys, lpd_enable, lpd_queue). A key `reported` lacks is always listed (old value
// unknown). Empty: the write would change nothing the device reports.
std::vector<SettingChange> diffSettings(const SettingsPatch& wanted, const SettingsPatch& reported);

// The differences a read-back check counts: those whose old value is known (a write-only key
// cannot be checked and is left out).
std::vector<SettingChange> verifiableChanges(const std::vector<SettingChange>& changes);

// True for the keys whose values are secrets: wpa_key, wep_keys, eap_password.
bool isSecretKey(std::string_view key);

// What a settings record holds, as profile values. `keysReported` false (a settings-block
// module clears its key fields) leaves wpa_key and wep_keys absent; true takes the WPA key
// text and the four WEP key texts as the record holds them.
SettingsPatch reportedSettings(const WifiSettings& record, bool keysReported);

// The keys a write would leave in place, checked against the security it leaves (the
// profile's values over the device's). A device that does not report its keys (a
// settings-block module clears the key fields) gets whatever keys the write sends, so a write
// that leaves WPA-PSK security in place without a `wpa_key`, or WEP64/WEP128 without
// `wep_keys`, would erase the key in use; an empty key is the same as none, on every device.
// Each WEP key given must be of the encryption's size, and a WPA key given must fit
// `wpaKeyBytes`, the module kind's field (key_rules.h). Such a profile is refused with a
// message naming the key; nullopt when it may be written. `reported` is the device's report,
// whose absent wpa_key / wep_keys mean "not reported".
std::optional<std::string> missingKeyRefusal(const SettingsPatch& patch,
                                             const SettingsPatch& reported,
                                             std::size_t wpaKeyBytes = 64);

// After a write: the keys whose value read back differs from the value written, compared
// whole (`written` is everything the write sent, `readBack` the device's report after it; a
// key the device does not report is left out). Each change's old value is what was read back.
std::vector<SettingChange> readBackDifferences(const SettingsPatch& written,
                                               const SettingsPatch& readBack);

// The message of a failed read-back check: kReadBackDiffersText, then per key
// `ssid: written "Office AP", read back "Office"` joined with "; " (secrets as "********"
// unless `showSecrets`).
inline constexpr const char* kReadBackDiffersText =
    "Not verified: the settings read back differ from those written";
std::string readBackMessage(const std::vector<SettingChange>& differences,
                            bool showSecrets = false);

// One line per change, "key: old -> new" (secrets shown as "********" unless `showSecrets`),
// joined with "; "; for messages that name what differs.
std::string describeChanges(const std::vector<SettingChange>& changes, bool showSecrets = false);

}  // namespace setrion::wifi
