#pragma once
// Settings profiles: the one place a settings file is parsed and validated.
//
// A profile is a JSON object with the keys `setrion-cli wifi read --json` and
// `net search --json` print. Every key is optional; a key present is validated
// completely (type, range, length, address form) before anything is sent to a device,
// and the first fault is reported with the key and what it expects. Keys:
//
//   ssid            text, at most 32 bytes, no NUL
//   dhcp            true or false
//   ip, netmask, gateway, dns
//                   dotted IPv4 text "a.b.c.d", each number 0-255 without leading zeros;
//                   a netmask's one bits are contiguous
//   mode            "adhoc" or "infrastructure"
//   channel         integer 1-14, or a 5 GHz channel of the channel list (36 ... 196)
//   channel_text    "" or a channel list text ("6", "149")
//   encryption      "None", "WEP64", "WEP128", "WPA", "802.1x"
//   authentication  "None", "Open System", "Shared Key", "Both"
//   key_in_use      integer 1-4
//   wpa_authentication  "None" (or "None Use"), "WPA-PSK", "WPA2-PSK", "WPA-ENT", "WPA2-ENT"
//   wpa_encryption  "None" (or "None Use"), "TKIP", "AES", "TKIP+AES"
//   wpa_key         "" or a WPA passphrase: 8-63 characters, or exactly 64 hexadecimal digits
//   tcp_port        integer 1-65535
//   wep_keys        array of four texts, each "" (the key is not given) or a WEP key as its
//                   key_formats entry says (HEX when key_formats is absent): 5 or 13 ASCII
//                   characters, or 10 or 26 hexadecimal digits; with "WEP64" or "WEP128" in
//                   the same file, only that size
//   key_formats     array of four of "HEX" and "ASCII"
//   lpd_enable      true or false
//   lpd_queue       text, at most 32 bytes (what the record holds before its CR LF), no NUL
//
// Keys follow the one rule of key_rules.h; an empty key under the security that uses it is
// refused where the device's security is known (missingKeyRefusal in settings_diff.h).
// The whole text is parsed: a NUL byte anywhere is refused with its offset.
//
// Numbers are JSON integers only (1.5, "1" and 1e3 are refused). A text key may come
// with a `<key>_hex` companion (the raw bytes as hexadecimal text, as the JSON output
// prints for device texts that are not valid UTF-8); the companion's bytes replace the
// text. The keys that identify one device (`mac`, `module_kind`, `generation`, `kind`,
// and their `_hex` companions) are accepted and listed in `ignoredKeys`, so the output
// of one printer can be written to another. Any other key, a key given twice, and a
// top level that is not one object are refused.
//
// Which of the accepted values a given device takes (a 5 GHz channel, "WPA-ENT") is
// decided where the device is known; this layer knows no device.
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "wifi/settings/settings_table.h"
#include "wifi/settings/wifi_settings.h"

namespace setrion::wifi {

// Canonical codes of the two WPA choices (every device list maps onto them).
enum class WpaAuthentication : int { None = 0, WpaPsk = 1, Wpa2Psk = 2, WpaEnt = 3, Wpa2Ent = 4 };
enum class WpaEncryption : int { None = 0, Tkip = 1, Aes = 2, TkipAes = 3 };

// The values a profile sets; absent members keep what the device holds.
struct SettingsPatch {
    std::optional<std::string> ssid;
    std::optional<bool> dhcp;
    std::optional<Octets> ip, netmask, gateway, dns;
    std::optional<int> mode;     // position in kModeTexts
    std::optional<int> channel;  // 1-14 or a 5 GHz channel number
    std::optional<std::string> channelText;
    std::optional<int> encryption;      // position in kEncryptionTexts
    std::optional<int> authentication;  // position in kAuthenticationTexts
    std::optional<int> keyInUse;        // 1-4
    std::optional<WpaAuthentication> wpaAuthentication;
    std::optional<WpaEncryption> wpaEncryption;
    std::optional<std::string> wpaKey;
    std::optional<uint16_t> tcpPort;  // 1-65535
    std::optional<std::array<std::string, 4>> wepKeys;
    std::optional<KeyFormats> keyFormats;
    std::optional<bool> lpdEnable;
    std::optional<std::string> lpdQueue;

    // Device-identity keys the file held, in file order; they change nothing.
    std::vector<std::string> ignoredKeys;
    // Other keys of the file that give nothing, each "KEY: why" (the Wi-Fi INI reader's).
    std::vector<std::string> unusedKeys;
};

// The first fault of a profile.
struct ProfileError {
    std::string key;      // the offending key; "" when the file as a whole is refused
    std::string message;  // readable, starts with the key: "channel: expected an integer ..."
};

// A patch, or the first fault.
struct ProfileResult {
    std::optional<SettingsPatch> patch;
    ProfileError error;  // meaningful when patch is empty
    bool ok() const { return patch.has_value(); }
};

// Largest settings file read (a profile is a few hundred bytes).
inline constexpr std::size_t kMaxProfileBytes = 64 * 1024;

// Parses and validates a JSON profile.
ProfileResult parseJsonProfile(std::string_view text);

// Reads a profile file and parses it. Only a regular file of at most kMaxProfileBytes is
// read (a directory, FIFO or device is refused without blocking); the error message then
// names the path.
ProfileResult loadJsonProfile(const std::filesystem::path& path);

// Checks the values of a patch built elsewhere (the INI reader, a dialog's import) by the
// same rules; nullopt when every present value is valid.
std::optional<ProfileError> validatePatch(const SettingsPatch& patch);

// True for 1-14 and the 5 GHz channels of k5GhzChannelTexts.
bool isChannelNumber(int64_t channel);

// Reads a small regular file whole: nullopt (with `error`) for anything else or a larger
// file. Never blocks on a FIFO or device node.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                                           std::string* error);

}  // namespace setrion::wifi
